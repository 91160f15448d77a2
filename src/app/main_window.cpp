#include "app/main_window.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QUrl>

#include "app/click_label.h"
#include "app/donation_window.h"
#include "app/feedback_form.h"
#include "app/gui_text.h"
#include "app/log_view.h"
#include "app/result_actions.h"
#include "app/results_view.h"
#include "app/tab_control.h"
#include "web/codec.h"

namespace trovix {

namespace {

const QString kPlaceholder = QStringLiteral("（请输入关键词）");
const QString kMessageTitle = QStringLiteral("信息：");

}  // namespace

void KeywordCopy::set(std::string gbk) {
  std::lock_guard lock(mutex_);
  gbk_ = std::move(gbk);
}

std::string KeywordCopy::get() const {
  std::lock_guard lock(mutex_);
  return gbk_;
}

MainWindow::MainWindow(ServiceAddresses addresses, QWidget* parent)
    : QWidget(parent),
      addresses_(std::move(addresses)),
      results_(std::make_unique<MemoryResultsList>()),
      log_(std::make_unique<SearchLog>()),
      keyword_(std::make_shared<KeywordCopy>()) {
  controller_ = std::make_unique<SearchController>(*results_, *log_, addresses_);

  setWindowTitle(QStringLiteral("TrovixV1.1.5  by：Qelmar"));
  // The form's 1 056 × 553 counts the frame on the original platform; here the
  // window manager adds its own, so the client area ends at the status bar.
  setFixedSize(1056, 539);
  move(50, 50);

  tabs_ = new TabControl(this);
  tabs_->setObjectName(QStringLiteral("高级选择夹1"));
  tabs_->setGeometry(0, 0, 1056, 480);
  QWidget* work =
      tabs_->add_page(QStringLiteral("工作面板"), QStringLiteral("将在这里搜索需要的内容！"));
  QWidget* about = tabs_->add_page(QStringLiteral("关于软件"),
                                   QStringLiteral("在这里你将了解软件各方面及作者~"));
  work_ = build_work_page(work);
  about_ = build_about_page(about);
  tabs_->set_current_index(0);

  notice_ = build_notice_bar(this);
  status_bar_ = new StatusBar(this);
  status_bar_->setObjectName(QStringLiteral("状态条1"));
  status_bar_->setGeometry(0, 519, 1052, 20);
  menus_ = make_popup_menus(this);

  model_ = new ResultsModel(*results_, this);
  new ResultsViewBinding(*results_, model_, work_.results);
  log_mirror_ = new LogMirror(*log_, work_.log_box);
  // Both stores call these on the writer's thread; the views catch up on ours.
  results_->set_listener([this](ListChange change, int row) {
    model_->note_change(change, row);
    std::shared_ptr<const ListObserver> observer;
    {
      std::lock_guard lock(observer_mutex_);
      observer = list_observer_;
    }
    if (observer && *observer) (*observer)(change, row);
  });
  log_->set_listener([this](bool) { log_mirror_->note_change(); });
  keyword_->set(to_gbk(work_.keyword_box->text()));
  feedback_ = new FeedbackForm(
      about_, FeedbackService{addresses_.form_service, addresses_.form_token},
      [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
        show_message(icon, title, text);
      },
      this);

  wire_handlers();
}

MainWindow::~MainWindow() {
  if (destroy_handler_) destroy_handler_();
  // Workers first: after this no engine writes, so the listeners can go.
  controller_.reset();
  results_->set_listener({});
  log_->set_listener({});
  // The widgets and the model read the stores, which are members and die
  // before QWidget's destructor would delete its children: delete them now.
  const QObjectList owned = children();
  for (QObject* child : owned) delete child;
}

void MainWindow::wire_handlers() {
  connect(work_.keyword_box, &QLineEdit::textChanged, this,
          [this](const QString& text) { keyword_->set(to_gbk(text)); });
  work_.keyword_box->installEventFilter(this);
  connect(work_.search_button, &QPushButton::clicked, this, &MainWindow::search);
  connect(work_.pause_button, &QPushButton::clicked, this, &MainWindow::pause);
  connect(work_.usage_note, &ClickLabel::pressed, this, [this] {
    show_message(
        QMessageBox::Information, QStringLiteral("温馨提示："),
        QStringLiteral("软件内置6种搜索引擎，4个种子搜索引擎，2个网盘搜索引擎，不同引擎搜索的"
                       "内容不同，如果您对某一引擎搜索结果不满意可尝试不同引擎搜索结果！"));
  });
  for (ClickLabel* picture : work_.website_pictures) {
    connect(picture, &ClickLabel::pressed, this, [this] { open_address(addresses_.website); });
  }
  connect(about_.group_join_picture, &ClickLabel::pressed, this,
          [this] { open_address(addresses_.group_join); });
  connect(about_.share_button, &QPushButton::clicked, this,
          [this] { open_address(addresses_.share_page); });
  connect(about_.donate_button, &QPushButton::clicked, this, &MainWindow::open_donation_window);
  connect(status_bar_, &StatusBar::pressed, this, &MainWindow::open_donation_window);
  actions_ = new ResultActions(*this);
  if (QAction* exit = PopupMenus::item(menus_.tray, QStringLiteral("退出软件"))) {
    connect(exit, &QAction::triggered, this, [] { QCoreApplication::exit(0); });
  }
}

bool MainWindow::run_creation_sequence(const CreationSteps& steps) {
  static const std::string ready_lines =
      gbk("<<<程序初始化完成，等待搜索命令...\r\n<<<温馨提示：单机表头可按标题排序！\r\n");
  if (steps.add_tray_icon) steps.add_tray_icon();
  if (steps.hook_tray_events) steps.hook_tray_events();
  if (steps.apply_skin) steps.apply_skin();
  // Clearing the stop flag has no counterpart here: every search gets a stop
  // token of its own when it starts, and none exists yet.
  if (steps.run_update_check && !steps.run_update_check()) return false;
  log_->append(ready_lines);
  ensure_default_folder(addresses_.default_folder);
  if (steps.setup_notice) steps.setup_notice();
  if (steps.fill_usage_panel) steps.fill_usage_panel();
  return true;
}

int MainWindow::checked_engine() const {
  for (std::size_t i = 0; i < work_.engines.size(); ++i) {
    if (work_.engines[i]->isChecked()) return static_cast<int>(i) + 1;
  }
  return 0;
}

void MainWindow::search() {
  // A search that asks for the button after a newer one has started must
  // not give it back: each request names the search it comes from.
  const std::uint64_t generation = ++search_generation_;
  SearchCommandUi ui;
  ui.keyword_box_text = keyword_->get();
  ui.checked_engine = checked_engine();
  if (test_engine_ && ui.checked_engine != 0) ui.checked_engine = kTestEngineChoice;
  ui.disable_search_button = [this] { work_.search_button->setEnabled(false); };
  ui.hooks.keyword = [keyword = keyword_] { return keyword->get(); };
  ui.hooks.enable_search_button = [this, generation] {
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
          if (generation == search_generation_) work_.search_button->setEnabled(true);
        },
        Qt::QueuedConnection);
  };

  switch (search_command(*controller_, *results_, *log_, ui)) {
    case SearchCommandResult::started:
      break;
    case SearchCommandResult::keyword_missing:
      show_message(QMessageBox::Critical, kMessageTitle, QStringLiteral("请先输入搜索内容！"));
      work_.keyword_box->clear();
      break;
    case SearchCommandResult::no_engine:
      // The columns are gone and the button stays disabled until Pause.
      show_message(QMessageBox::Critical, kMessageTitle, QStringLiteral("请先选择搜索引擎！"));
      break;
  }
}

void MainWindow::pause() {
  controller_->pause();
  work_.search_button->setEnabled(true);
}

void MainWindow::set_list_observer(ListObserver observer) {
  auto shared = observer ? std::make_shared<const ListObserver>(std::move(observer)) : nullptr;
  std::lock_guard lock(observer_mutex_);
  list_observer_ = std::move(shared);
}

void MainWindow::show_message(QMessageBox::Icon icon, const QString& title, const QString& text) {
  if (message_sink_) {
    message_sink_(icon, title, text);
    return;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, this);
  box.exec();
}

void MainWindow::open_address(const std::string& address) { open_address(from_gbk(address)); }

void MainWindow::open_address(const QString& text) {
  if (url_opener_) {
    url_opener_(text);
    return;
  }
  // Handed to the shell as it is, even when empty; the outcome is not checked.
  QDesktopServices::openUrl(QUrl(text, QUrl::TolerantMode));
}

void MainWindow::open_donation_window() {
  DonationWindow window(this);
  window.exec();
}

void MainWindow::flush_views() {
  model_->catch_up();
  log_mirror_->catch_up();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == work_.keyword_box && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    // Only the exact placeholder is cleared; nothing ever puts it back.
    if (work_.keyword_box->text() == kPlaceholder) work_.keyword_box->clear();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace trovix
