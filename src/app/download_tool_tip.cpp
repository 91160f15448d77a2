#include "app/download_tool_tip.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/gui_text.h"
#include "results/process_check.h"

namespace trovix {

DownloadToolTip::DownloadToolTip(std::vector<std::string> tool_names, std::string thunder_installer,
                                 std::string xuanfeng_installer, DesktopHooks hooks,
                                 QWidget* parent, int check_delay_ms)
    : QDialog(parent), tool_names_(std::move(tool_names)), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("下载工具提示"));
  setWindowTitle(QStringLiteral("温馨提示："));
  setFixedSize(453, 88);
  move(50, 50);

  message_ = new QLabel(QStringLiteral("下载资源需迅雷等磁力下载工具"), this);
  message_->setObjectName(QStringLiteral("透明标签1"));
  message_->setGeometry(6, 3, 208, 58);
  message_->setWordWrap(true);
  thunder_ = new QPushButton(QStringLiteral("下载迅雷"), this);
  thunder_->setObjectName(QStringLiteral("按钮1"));
  thunder_->setGeometry(226, 13, 94, 40);
  xuanfeng_ = new QPushButton(QStringLiteral("下载QQ旋风"), this);
  xuanfeng_->setObjectName(QStringLiteral("按钮2"));
  xuanfeng_->setGeometry(336, 13, 94, 40);
  thunder_->setAutoDefault(false);
  xuanfeng_->setAutoDefault(false);

  // The window stays open after either button.
  connect(thunder_, &QPushButton::clicked, this, [this, address = std::move(thunder_installer)] {
    if (hooks_.open_address) hooks_.open_address(from_gbk(address));
  });
  connect(xuanfeng_, &QPushButton::clicked, this, [this, address = std::move(xuanfeng_installer)] {
    if (hooks_.open_address) hooks_.open_address(from_gbk(address));
  });

  check_delay_ms_ = check_delay_ms;
}

void DownloadToolTip::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (check_started_) return;
  check_started_ = true;
  // Events go on being handled during the wait; the check itself reads /proc
  // on a worker so the window never waits on it.
  QTimer::singleShot(check_delay_ms_, Qt::PreciseTimer, this, [this] {
    check_.start(
        [names = tool_names_](const BackgroundJob::Context&) { return any_process_running(names); },
        [this](bool found) {
          emit checked(found);
          if (found) accept();
        });
  });
}

}  // namespace trovix
