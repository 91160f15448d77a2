// The download-tool tip window ("温馨提示："): opened after a torrent link was
// handed to the system, it closes itself when, three seconds after it opened,
// a download tool runs; otherwise it offers the two installers.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/background_job.h"
#include "app/desktop_hooks.h"

class QLabel;
class QPushButton;

namespace trovix {

class DownloadToolTip : public QDialog {
  Q_OBJECT
 public:
  // `tool_names`: the process names that count as a download tool.
  DownloadToolTip(std::vector<std::string> tool_names, std::string thunder_installer,
                  std::string xuanfeng_installer, DesktopHooks hooks, QWidget* parent = nullptr,
                  int check_delay_ms = 3000);

  QLabel* message() const { return message_; }
  QPushButton* thunder_button() const { return thunder_; }
  QPushButton* xuanfeng_button() const { return xuanfeng_; }

 protected:
  // The wait of the check starts when the window is first shown.
  void showEvent(QShowEvent* event) override;

 signals:
  // The check has run; the window closes itself right after when `found`.
  void checked(bool found);

 private:
  std::vector<std::string> tool_names_;
  DesktopHooks hooks_;
  QLabel* message_ = nullptr;
  QPushButton* thunder_ = nullptr;
  QPushButton* xuanfeng_ = nullptr;
  int check_delay_ms_ = 3000;
  bool check_started_ = false;
  BackgroundJob check_{this};  // the walk of the process list, off the UI thread
};

}  // namespace trovix
