#include "app/feedback_form.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/gui_text.h"
#include "web/text_ops.h"

namespace trovix {

FeedbackForm::FeedbackForm(const AboutPage& page, FeedbackService service, MessageSink message_sink,
                           QObject* parent)
    : QObject(parent),
      page_(page),
      service_(std::move(service)),
      message_sink_(std::move(message_sink)) {
  page_.contact_box->installEventFilter(this);
  // A plain-text box receives its mouse presses in its viewport.
  page_.content_box->viewport()->installEventFilter(this);
  connect(page_.submit_button, &QPushButton::clicked, this, &FeedbackForm::submit);
}

std::string FeedbackForm::content_text(const QString& box_text) {
  QString text = box_text;
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return to_gbk(text);
}

QString FeedbackForm::shown_text(const std::string& gbk) {
  return from_gbk(replace_text(gbk, "\r\n", "\n"));
}

bool FeedbackForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == page_.contact_box && contact_clears_on_click(to_gbk(page_.contact_box->text())))
      page_.contact_box->clear();
    if (watched == page_.content_box->viewport() &&
        content_clears_on_click(content_text(page_.content_box->toPlainText())))
      page_.content_box->clear();
  }
  return QObject::eventFilter(watched, event);
}

void FeedbackForm::submit() {
  if (job_.running()) return;
  page_.submit_button->setEnabled(false);
  job_.start(
      [service = service_, content = content_text(page_.content_box->toPlainText()),
       contact = to_gbk(page_.contact_box->text())](const BackgroundJob::Context&) {
        return submit_feedback(service, content, contact);
      },
      [this](FeedbackOutcome outcome) { on_answer(outcome); });
}

void FeedbackForm::on_answer(FeedbackOutcome outcome) {
  page_.submit_button->setEnabled(true);
  switch (outcome) {
    case FeedbackOutcome::kEmptyData:
      message_sink_(QMessageBox::Critical, from_gbk(feedback_empty_title()),
                    from_gbk(feedback_empty_message()));
      break;
    case FeedbackOutcome::kSucceeded:
      page_.content_box->setPlainText(shown_text(feedback_success_text()));
      break;
    case FeedbackOutcome::kFailed:
      page_.content_box->setPlainText(shown_text(feedback_failure_text()));
      break;
  }
}

}  // namespace trovix
