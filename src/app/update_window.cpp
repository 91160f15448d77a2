#include "app/update_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "app/gui_text.h"
#include "app/main_window.h"
#include "app/sound_player.h"
#include "server/info_page.h"
#include "server/url_reader.h"

namespace trovix {

namespace {

QLabel* make_label(QWidget* parent, const char* name, const char* text, QRect place) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromUtf8(name));
  label->setGeometry(place);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLineEdit* make_box(QWidget* parent, const char* name, const QString& text, QRect place) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(QString::fromUtf8(name));
  box->setGeometry(place);
  return box;
}

QPushButton* make_button(QWidget* parent, const char* name, const char* text, QRect place) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setGeometry(place);
  button->setAutoDefault(false);
  return button;
}

void open_default_popup(const PopupParameters& parameters) { open_announcement_popup(parameters); }

}  // namespace

UpdateWindow::UpdateWindow(std::shared_ptr<ServerValues> values, const ServiceAddresses& addresses,
                           MainWindow* main_window)
    : QDialog(main_window),
      values_(values ? std::move(values) : std::make_shared<ServerValues>()),
      addresses_(addresses),
      main_window_(main_window),
      popup_opener_(open_default_popup) {
  setObjectName(QStringLiteral("更新检测系统"));
  setWindowTitle(QStringLiteral("更新检测系统"));
  setFixedSize(369, 352);
  // Modal for the main window only: the announcement popup, a window of its
  // own, stays usable while this one waits.
  setWindowModality(Qt::WindowModal);

  make_label(this, "透明标签1", "当前版本号：", QRect(0, 9, 80, 32));
  current_version_ =
      make_box(this, "编辑框1", QString::fromUtf8(kCurrentVersion.data(), kCurrentVersion.size()),
               QRect(80, 8, 72, 32));
  make_label(this, "透明标签2", "最新版本号：", QRect(172, 8, 80, 32));
  newest_version_ = make_box(this, "编辑框2", QString(), QRect(258, 8, 70, 32));
  history_caption_ = make_label(this, "透明标签3", "历史更新内容：", QRect(0, 45, 104, 32));
  history_box_ = new QPlainTextEdit(this);
  history_box_->setObjectName(QStringLiteral("编辑框3"));
  history_box_->setGeometry(0, 80, 361, 128);
  update_button_ = make_button(this, "按钮1", "立即更新", QRect(54, 220, 93, 34));
  manual_button_ = make_button(this, "按钮2", "不能更新点我", QRect(206, 220, 92, 34));

  progress_bar_ = new QProgressBar(this);
  progress_bar_->setObjectName(QStringLiteral("进度条1"));
  progress_bar_->setGeometry(0, 263, 360, 24);
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  size_label_ = make_label(this, "透明标签4", "文件尺寸", QRect(0, 292, 112, 32));
  progress_label_ = make_label(this, "透明标签5", "下载进度", QRect(122, 292, 104, 32));
  speed_label_ = make_label(this, "透明标签6", "下载速度", QRect(231, 292, 120, 32));
  for (QWidget* hidden :
       {static_cast<QWidget*>(progress_bar_), static_cast<QWidget*>(size_label_),
        static_cast<QWidget*>(progress_label_), static_cast<QWidget*>(speed_label_)}) {
    hidden->hide();
  }

  countdown_timer_ = new QTimer(this);
  countdown_timer_->setObjectName(QStringLiteral("时钟1"));
  connect(countdown_timer_, &QTimer::timeout, this, &UpdateWindow::countdown_tick);
  progress_timer_ = new QTimer(this);
  progress_timer_->setObjectName(QStringLiteral("时钟2"));

  connect(update_button_, &QPushButton::clicked, this, [this] {
    if (update_handler_) update_handler_();
  });
  connect(manual_button_, &QPushButton::clicked, this, [this] {
    if (main_window_ != nullptr) main_window_->open_address(addresses_.manual_download);
  });
}

UpdateWindow::~UpdateWindow() { job_.stop(); }

void UpdateWindow::start() {
  move(50, 50);
  // Nothing to update to is known while the page is read.
  update_button_->setEnabled(false);
  show();
  // The window shows its empty boxes while the connection and the page are
  // checked away from the user-interface thread.
  const std::string check = addresses_.connectivity_check;
  const std::string page = addresses_.info_page;
  job_.start(
      [check, page](const BackgroundJob::Context& context) {
        CheckResult result;
        result.connected = connectivity_check(check);
        if (result.connected && !context.stop_requested()) result.page = read_url(page);
        return result;
      },
      [this](CheckResult result) { deliver(std::move(result)); });
}

bool UpdateWindow::run() {
  start();
  exec();
  return !ends_program_;
}

void UpdateWindow::deliver(CheckResult result) {
  if (!result.connected) {
    state_ = State::no_connection;
    const QString text = QStringLiteral("与服务器连接失败，请关闭后重试！");
    if (main_window_ != nullptr) {
      main_window_->show_message(QMessageBox::Critical, QStringLiteral("信息："), text);
    } else {
      QMessageBox box(QMessageBox::Critical, QStringLiteral("信息："), text, QMessageBox::Ok, this);
      box.exec();
    }
    emit check_finished(state_);
    ends_program_ = true;
    exit_code_ = 1;
    QDialog::done(QDialog::Rejected);
    return;
  }
  show_page(result.page);
}

void UpdateWindow::show_page(const std::string& page) {
  const InfoPage info = read_info_page(page);
  newest_version_->setText(from_gbk(info.newest_version));
  *values_ = info.values;

  PopupParameters popup;
  popup.title = QStringLiteral("感谢使用：");
  popup.text = from_gbk(values_->popup_content);
  popup.body_title = QStringLiteral("至广大用户");
  popup.link = from_gbk(addresses_.website);
  popup.play_sound = 1;
  if (popup_opener_) popup_opener_(popup);

  // The history box keeps each item on a line of its own; the box breaks lines
  // at LF, so the CR of each "\r\n" is dropped on the way in.
  QString history = from_gbk(history_text(info.history));
  history.remove(QLatin1Char('\r'));
  if (versions_differ()) {
    state_ = State::update_available;
    update_button_->setEnabled(true);
    history_caption_->setText(QStringLiteral("本次更新内容："));
    history_box_->setPlainText(history);
    progress_bar_->show();
    size_label_->show();
    progress_label_->show();
    speed_label_->show();
    play_sound(Sound::update_available);
  } else {
    // Also a page that could not be read: nothing is offered, the program
    // stays usable.
    state_ = State::up_to_date;
    update_button_->setEnabled(false);
    countdown_timer_->start(1000);
    countdown_ = Countdown();
    play_sound(Sound::up_to_date);
    history_box_->setPlainText(history);
  }
  if (main_window_ != nullptr && main_window_->about_page().update_history != nullptr) {
    main_window_->about_page().update_history->setPlainText(history_box_->toPlainText());
  }
  emit check_finished(state_);
}

bool UpdateWindow::versions_differ() const {
  return update_offered(to_gbk(current_version_->text()), to_gbk(newest_version_->text()));
}

void UpdateWindow::countdown_tick() {
  if (state_ != State::up_to_date) return;
  if (!countdown_.tick()) {
    update_button_->setText(from_gbk(countdown_.caption()));
    return;
  }
  countdown_timer_->stop();
  if (main_window_ != nullptr) main_window_->show();
  accept();
}

void UpdateWindow::done(int result) {
  job_.stop();
  countdown_timer_->stop();
  // Whenever the window goes, the boxes are compared again: with an update
  // offered, the program cannot be used without it.
  if (state_ == State::update_available && versions_differ()) {
    ends_program_ = true;
    exit_code_ = 0;
  }
  QDialog::done(result);
}

}  // namespace trovix
