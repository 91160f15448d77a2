#include "app/magnet_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/gui_text.h"
#include "results/magnet_link.h"

namespace trovix {

namespace {

const QString kExtracting = QStringLiteral("正在提取磁力链接中，请稍后...");
const QString kMessageTitle = QStringLiteral("信息：");

QPushButton* make_button(QWidget* owner, const char* name, const QString& caption, QRect place) {
  auto* button = new QPushButton(caption, owner);
  button->setObjectName(QString::fromUtf8(name));
  button->setGeometry(place);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

MagnetWindow::MagnetWindow(std::string selected_link, DesktopHooks hooks, QWidget* parent)
    : QDialog(parent), selected_link_(std::move(selected_link)), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("磁力链接窗口"));
  setWindowTitle(QStringLiteral("打开磁力链接需先安装迅雷软件！"));
  setFixedSize(639, 80);
  move(50, 50);

  label_ = new QLabel(QStringLiteral("磁力链接"), this);
  label_->setObjectName(QStringLiteral("透明标签1"));
  label_->setGeometry(2, 6, 70, 40);
  link_box_ = new QLineEdit(this);
  link_box_->setObjectName(QStringLiteral("编辑框2"));
  link_box_->setGeometry(69, 8, 304, 40);
  // The box's text is the window's state; the user selects and copies from it.
  link_box_->setReadOnly(true);
  retry_ = make_button(this, "按钮1", QStringLiteral("重试"), {296, 8, 80, 40});
  retry_->raise();  // over the right end of the link box
  copy_ = make_button(this, "按钮2", QStringLiteral("复制磁力"), {391, 8, 72, 40});
  open_ = make_button(this, "按钮3", QStringLiteral("打开磁力"), {476, 8, 72, 40});
  close_ = make_button(this, "按钮4", QStringLiteral("关闭窗口"), {560, 8, 72, 40});

  connect(retry_, &QPushButton::clicked, this, &MagnetWindow::start_extraction);
  connect(copy_, &QPushButton::clicked, this, &MagnetWindow::copy_link);
  connect(open_, &QPushButton::clicked, this, &MagnetWindow::open_link);
  connect(close_, &QPushButton::clicked, this, &MagnetWindow::reject);

  start_extraction();
}

void MagnetWindow::start_extraction() {
  state_ = State::extracting;
  link_box_->setText(kExtracting);
  retry_->hide();
  extraction_.start([address = selected_link_](
                        const BackgroundJob::Context&) { return fetch_magnet_link(address); },
                    [this](std::string link) {
                      link_box_->setText(from_gbk(link));
                      const bool found = !link_box_->text().isEmpty();
                      if (!found) {
                        link_box_->setText(from_gbk(magnet_failure_text()));
                        retry_->show();
                      }
                      state_ = found ? State::found : State::failed;
                      emit extraction_finished(found);
                    });
}

void MagnetWindow::copy_link() {
  // Whatever the box shows, the extracting text included.
  if (hooks_.set_clipboard && hooks_.set_clipboard(link_box_->text())) {
    if (hooks_.message)
      hooks_.message(QMessageBox::Information, kMessageTitle,
                     QStringLiteral("下载链接已复制到剪辑版！"));
  } else if (hooks_.message) {
    hooks_.message(QMessageBox::Critical, kMessageTitle,
                   QStringLiteral("下载链接复制失败，请重试！"));
  }
}

void MagnetWindow::open_link() {
  const QString text = link_box_->text();
  if (text.isEmpty()) return;
  if (hooks_.open_address) hooks_.open_address(text);
  if (hooks_.run_tip_window) hooks_.run_tip_window(this);
}

void MagnetWindow::reject() {
  if (state_ == State::extracting) return;
  extraction_.stop();
  QDialog::reject();
}

}  // namespace trovix
