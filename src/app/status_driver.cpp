#include "app/status_driver.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "app/click_label.h"
#include "app/gui_text.h"
#include "app/main_window.h"
#include "server/url_reader.h"

namespace trovix {

StatusDriver::StatusDriver(MainWindow& window, std::shared_ptr<const ServerValues> values)
    : QObject(&window),
      window_(window),
      values_(values ? std::move(values) : std::make_shared<const ServerValues>()) {
  // Server texts go in as plain text, never as markup or links.
  window_.notice_bar().label->setTextFormat(Qt::PlainText);
  if (QLabel* usage = window_.status_bar()->panel(1)) usage->setTextFormat(Qt::PlainText);

  run_time_timer_ = new QTimer(this);
  run_time_timer_->setObjectName(QStringLiteral("时钟1"));
  connect(run_time_timer_, &QTimer::timeout, this, &StatusDriver::run_time_tick);
  run_time_timer_->start(1000);
  // The form's period of 1 ms is below what the timer resolves, so the notice
  // moves as fast as the platform's timer ticks.
  notice_timer_ = new QTimer(this);
  notice_timer_->setObjectName(QStringLiteral("时钟2"));
  connect(notice_timer_, &QTimer::timeout, this, &StatusDriver::notice_tick);
  notice_timer_->start(1);

  const NoticeBar& notice = window_.notice_bar();
  connect(notice.label, &ClickLabel::pressed, this,
          [this] { window_.open_address(values_->notice_link); });
  notice.bar->installEventFilter(this);
}

StatusDriver::~StatusDriver() { job_.stop(); }

void StatusDriver::run_time_tick() {
  uptime_.tick();
  if (QLabel* panel = window_.status_bar()->panel(0)) panel->setText(from_gbk(uptime_.text()));
}

void StatusDriver::notice_tick() {
  QLabel* label = window_.notice_bar().label;
  const int left = next_notice_left(label->x(), label->width(), window_.notice_bar().bar->width());
  label->move(left, label->y());
}

void StatusDriver::setup_notice() {
  QLabel* label = window_.notice_bar().label;
  label->resize(notice_width(values_->scroll_notice), label->height());
  label->setText(from_gbk(values_->scroll_notice));
}

void StatusDriver::fill_usage_panel() {
  const std::string address =
      counter_address(window_.addresses().counter, window_.addresses().counter_id);
  job_.start([address](const BackgroundJob::Context&) { return usage_line(read_url(address)); },
             [this](std::string line) {
               if (QLabel* panel = window_.status_bar()->panel(1)) panel->setText(from_gbk(line));
               emit usage_filled();
             });
}

bool StatusDriver::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.notice_bar().bar && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    window_.open_address(values_->notice_link);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace trovix
