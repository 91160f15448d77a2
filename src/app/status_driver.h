// What moves in the main window's bottom strips: the run-time timer (时钟1)
// filling panel 0 every second, the notice timer (时钟2) scrolling the notice
// label, the notice set up from the server's line, the usage panel filled from
// the visit counter on a background job, and the notice click.
#pragma once

#include <QObject>
#include <memory>

#include "app/background_job.h"
#include "server/server_values.h"
#include "server/status_texts.h"

class QTimer;

namespace trovix {

class MainWindow;

class StatusDriver : public QObject {
  Q_OBJECT
 public:
  // Both timers run from here on, also while the update window is open.
  StatusDriver(MainWindow& window, std::shared_ptr<const ServerValues> values);
  ~StatusDriver() override;

  // The notice label takes the server's line and 9 pixels per GBK byte of it.
  void setup_notice();
  // Reads the visit counter in the background; panel 1 keeps "使用统计" until
  // the answer is in, then shows the usage line (empty figures on failure).
  void fill_usage_panel();
  bool usage_pending() const { return job_.running(); }

  void run_time_tick();
  void notice_tick();
  QTimer* run_time_timer() const { return run_time_timer_; }
  QTimer* notice_timer() const { return notice_timer_; }

 signals:
  void usage_filled();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MainWindow& window_;
  std::shared_ptr<const ServerValues> values_;
  Uptime uptime_;
  QTimer* run_time_timer_ = nullptr;
  QTimer* notice_timer_ = nullptr;
  BackgroundJob job_{this};
};

}  // namespace trovix
