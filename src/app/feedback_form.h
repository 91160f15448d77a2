// The About page's feedback group ("建议提交"): the placeholders that clear on
// a click, and the press of "提交", whose two requests run as a background job
// while the button waits disabled; the answer lands in the content box.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <functional>

#include "app/about_page.h"
#include "app/background_job.h"
#include "server/feedback.h"

namespace trovix {

class FeedbackForm : public QObject {
  Q_OBJECT
 public:
  using MessageSink =
      std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;

  FeedbackForm(const AboutPage& page, FeedbackService service, MessageSink message_sink,
               QObject* parent = nullptr);

  // The press of "提交" (the button calls it).
  void submit();
  bool waiting() const { return job_.running(); }

  // The content box's text as the core reads it (GBK, lines ended by CR LF)
  // and the way a result text is shown in it.
  static std::string content_text(const QString& box_text);
  static QString shown_text(const std::string& gbk);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void on_answer(FeedbackOutcome outcome);

  AboutPage page_;
  FeedbackService service_;
  MessageSink message_sink_;
  BackgroundJob job_{this};
};

}  // namespace trovix
