// The update window ("更新检测系统"): at every start it checks the connection,
// reads the information page on a background job, fills the server values and
// the history, opens the announcement popup and compares the versions. Up to
// date, it counts eight seconds down and shows the main window; with another
// version it offers the update, and closing it then ends the program.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "app/announcement_popup.h"
#include "app/background_job.h"
#include "search/service_addresses.h"
#include "server/server_values.h"
#include "server/update_decision.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace trovix {

class MainWindow;

class UpdateWindow : public QDialog {
  Q_OBJECT
 public:
  enum class State {
    checking,          // connection and page being read; the boxes are empty
    up_to_date,        // counting down (also when the page could not be read)
    update_available,  // the page names another version
    no_connection,     // the stop message was shown; the program ends
  };
  using PopupOpener = std::function<void(const PopupParameters&)>;

  // `values` receives the page's texts; `main_window` is shown at the end of
  // the countdown, gets the history in its About page and shows the messages.
  UpdateWindow(std::shared_ptr<ServerValues> values, const ServiceAddresses& addresses,
               MainWindow* main_window);
  ~UpdateWindow() override;

  // Shows the window and starts the check; returns at once.
  void start();
  // start(), then waits modally until the window is closed. False when the
  // program ends here (an update was offered, or there is no connection);
  // exit_code() is then the program's exit code.
  bool run();
  bool ends_program() const { return ends_program_; }
  int exit_code() const { return exit_code_; }
  State state() const { return state_; }

  // For the self-update: the progress area (hidden until an update is
  // offered), the handler of "立即更新", and the page's values.
  QProgressBar* progress_bar() const { return progress_bar_; }  // 进度条1
  QLabel* size_label() const { return size_label_; }            // 透明标签4
  QLabel* progress_label() const { return progress_label_; }    // 透明标签5
  QLabel* speed_label() const { return speed_label_; }          // 透明标签6
  QTimer* progress_timer() const { return progress_timer_; }    // 时钟2
  void set_update_handler(std::function<void()> handler) { update_handler_ = std::move(handler); }
  const ServerValues& server_values() const { return *values_; }
  std::shared_ptr<ServerValues> shared_server_values() const { return values_; }
  const ServiceAddresses& addresses() const { return addresses_; }

  QLineEdit* current_version_box() const { return current_version_; }  // 编辑框1
  QLineEdit* newest_version_box() const { return newest_version_; }    // 编辑框2
  QLabel* history_caption() const { return history_caption_; }         // 透明标签3
  QPlainTextEdit* history_box() const { return history_box_; }         // 编辑框3
  QPushButton* update_button() const { return update_button_; }        // 按钮1
  QPushButton* manual_button() const { return manual_button_; }        // 按钮2
  QTimer* countdown_timer() const { return countdown_timer_; }         // 时钟1

  // Tests: the popup is handed here instead of being opened.
  void set_popup_opener(PopupOpener opener) { popup_opener_ = std::move(opener); }
  // One tick of the countdown (the timer calls it once a second).
  void countdown_tick();

 signals:
  // The check has reached one of its end states.
  void check_finished(State state);

 protected:
  void done(int result) override;

 private:
  struct CheckResult {
    bool connected = false;
    std::string page;  // GBK text up to the first zero byte; "" when unreadable
  };
  void deliver(CheckResult result);
  void show_page(const std::string& page);
  bool versions_differ() const;

  std::shared_ptr<ServerValues> values_;
  ServiceAddresses addresses_;
  MainWindow* main_window_;
  BackgroundJob job_{this};

  QLineEdit* current_version_ = nullptr;
  QLineEdit* newest_version_ = nullptr;
  QLabel* history_caption_ = nullptr;
  QPlainTextEdit* history_box_ = nullptr;
  QPushButton* update_button_ = nullptr;
  QPushButton* manual_button_ = nullptr;
  QProgressBar* progress_bar_ = nullptr;
  QLabel* size_label_ = nullptr;
  QLabel* progress_label_ = nullptr;
  QLabel* speed_label_ = nullptr;
  QTimer* countdown_timer_ = nullptr;
  QTimer* progress_timer_ = nullptr;

  State state_ = State::checking;
  Countdown countdown_;
  bool ends_program_ = false;
  int exit_code_ = 0;
  std::function<void()> update_handler_;
  PopupOpener popup_opener_;
};

}  // namespace trovix
