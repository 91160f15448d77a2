// The update window's download of the new program: the press of "立即更新"
// (checks, then the download), the 100 ms progress timer that fills the bar
// and the size, progress and speed labels, the download's event routine, and
// the replacement script that is started before the program ends.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

#include "app/background_job.h"
#include "server/download.h"

class QAbstractButton;
class QLabel;
class QProgressBar;

namespace trovix {

class SelfUpdater : public QObject {
  Q_OBJECT
 public:
  using MessageSink =
      std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;

  struct Controls {
    QProgressBar* progress_bar = nullptr;  // 进度条1, 0 to 100
    QLabel* size_label = nullptr;          // 透明标签4
    QLabel* progress_label = nullptr;      // 透明标签5
    QLabel* speed_label = nullptr;         // 透明标签6
  };

  enum class State {
    kReady,        // nothing pressed yet, or the last press was refused
    kChecking,     // the folder is being checked off the user-interface thread
    kDownloading,  // the request was handed to the download object
    kStopped,      // event 9, or the address was unusable: nothing more happens
    kReplacing,    // event 4 and the message box are past; the script is being started
  };

  // `update_address` and `new_program_file` are the server values (GBK);
  // `program_path` is the running program's own file (as the file system spells it).
  // The message sink shows a box and returns when it was closed.
  SelfUpdater(Controls controls, std::string update_address, std::string new_program_file,
              std::string program_path, MessageSink message_sink, QObject* parent = nullptr);
  ~SelfUpdater() override;

  // Optional: the update button, disabled by a press that goes ahead; the
  // history box, which receives the download's lines.
  void set_update_button(QAbstractButton* button) { button_ = button; }
  void set_history_sink(std::function<void(const QString&)> sink) { history_ = std::move(sink); }
  // What ends the program once the script runs (default: exit code 0 at once).
  void set_program_ender(std::function<void()> ender) { ender_ = std::move(ender); }
  // Tests shorten the request's time-outs here.
  void set_request_tuning(std::function<void(DownloadRequest&)> tuning) {
    tuning_ = std::move(tuning);
  }

  // The press of "立即更新". A new program name that is not a plain file name,
  // or a program folder that cannot be written, is refused with a stop box
  // before anything is downloaded; the button then stays usable.
  void start();

  State state() const { return state_; }
  const Download& download() const { return download_; }

 private:
  void on_checked(bool folder_writable);
  void on_event(int event, std::int64_t value);
  void refresh();
  void replace_program();
  void append_history(const std::string& gbk_line);

  Controls controls_;
  std::string update_address_;
  std::string new_program_file_;
  std::string run_directory_;
  std::string program_file_name_;
  MessageSink message_sink_;
  QAbstractButton* button_ = nullptr;
  std::function<void(const QString&)> history_;
  std::function<void()> ender_;
  std::function<void(DownloadRequest&)> tuning_;

  State state_ = State::kReady;
  double total_size_ = 0;  // written and read on the user-interface thread
  QTimer progress_timer_;  // 时钟2
  Download download_;
  BackgroundJob job_{this};
};

}  // namespace trovix
