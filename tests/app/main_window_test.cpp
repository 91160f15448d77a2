// The main window as built: its controls, the creation sequence, and the
// handlers of the placeholder, the usage note, the links and the donation.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <fstream>

#include "app/app_fixture.h"
#include "app/donation_window.h"
#include "app/results_view.h"
#include "app/tab_control.h"
#include "web/codec.h"

namespace trovix::testing {
namespace {

QString text_of(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) return box->toPlainText();
  return {};
}

TEST_F(WindowTest, ControlsStandWhereTheFormPutsThemWithTheirCaptions) {
  struct Expected {
    const char* name;
    QRect place;
    const char* text;
  };
  const Expected expected[] = {
      {"高级选择夹1", {0, 0, 1056, 480}, ""},
      {"背景条", {0, 480, 1056, 24}, ""},
      {"滚动条", {0, -1, 120, 23}, "滚动公告栏"},
      {"状态条1", {0, 519, 1052, 20}, ""},
      {"超级列表框1", {0, 24, 832, 456}, ""},
      {"高级选择夹2", {832, 0, 224, 256}, ""},
      {"分组框2", {832, 260, 224, 220}, "工作日志："},
      {"编辑框1", {1, 22, 215, 198}, ""},
      {"分组框1", {1, 22, 217, 235}, ""},
      {"透明标签5", {8, 10, 104, 25}, "请输入检索关键词："},
      {"编辑框2", {25, 41, 168, 36}, "（请输入关键词）"},
      {"透明标签4", {125, 11, 48, 24}, "使用说明"},
      {"单选框1", {11, 89, 88, 32}, "种子引擎1"},
      {"单选框2", {115, 88, 88, 32}, "种子引擎2"},
      {"单选框3", {12, 121, 96, 32}, "种子引擎3"},
      {"单选框4", {116, 122, 88, 32}, "种子引擎4"},
      {"单选框5", {13, 155, 96, 32}, "网盘引擎1"},
      {"单选框6", {116, 156, 80, 32}, "网盘引擎2"},
      {"图片框1", {189, 90, 19, 10}, ""},
      {"图片框3", {186, 155, 19, 10}, ""},
      {"按钮1", {13, 193, 88, 32}, "搜索"},
      {"按钮2", {122, 192, 80, 32}, "暂停"},
      {"分组框8", {3, 23, 216, 88}, ""},
      {"编辑框10", {8, 40, 200, 32}, "暂停使用"},
      {"分组框3", {0, 24, 480, 176}, "软件介绍"},
      {"图片框2", {284, 129, 88, 32}, ""},
      {"图片框10", {375, 130, 88, 30}, ""},
      {"分组框7", {0, 196, 480, 144}, "建议提交"},
      {"分组框4", {0, 338, 480, 142}, "1.1.1更新内容："},
      {"编辑框9", {0, 19, 470, 115}, ""},
      {"分组框5", {480, 23, 376, 457}, "加入我们"},
      {"按钮5", {904, 373, 104, 40}, "分享好友"},
      {"按钮24", {904, 428, 104, 40}, "捐赠作者"},
  };
  for (const Expected& e : expected) {
    auto* widget = control<QWidget>(e.name);
    if (widget == nullptr) continue;
    EXPECT_EQ(widget->geometry(), e.place) << e.name;
    EXPECT_EQ(text_of(widget), QString::fromUtf8(e.text)) << e.name;
  }
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("TrovixV1.1.5  by：Qelmar"));
  EXPECT_TRUE(control<QLabel>("透明标签13")->text().startsWith(QStringLiteral("\nSellavo，")));
}

TEST_F(WindowTest, InitialStateOfTabsEnginesListAndInertSecondaryPage) {
  QTabBar* main_tabs = window_->main_tabs()->tab_bar();
  ASSERT_EQ(main_tabs->count(), 2);
  EXPECT_EQ(main_tabs->tabText(0), QStringLiteral("工作面板"));
  EXPECT_EQ(main_tabs->tabToolTip(0), QStringLiteral("将在这里搜索需要的内容！"));
  EXPECT_EQ(main_tabs->tabText(1), QStringLiteral("关于软件"));
  EXPECT_EQ(main_tabs->tabToolTip(1), QStringLiteral("在这里你将了解软件各方面及作者~"));
  QTabBar* side_tabs = window_->work_page().side_tabs->tab_bar();
  EXPECT_EQ(side_tabs->tabText(0), QStringLiteral("搜索面板"));
  EXPECT_EQ(side_tabs->tabText(1), QStringLiteral("二次处理"));

  EXPECT_EQ(window_->checked_engine(), 2);
  EXPECT_EQ(control<QTableView>("超级列表框1")->model()->columnCount(), 0);
  EXPECT_TRUE(control<QPlainTextEdit>("编辑框1")->isReadOnly());

  auto* secondary = control<QLineEdit>("编辑框10");
  EXPECT_FALSE(secondary->isEnabled());
  EXPECT_EQ(secondary->focusPolicy(), Qt::NoFocus);
  window_->work_page().side_tabs->set_current_index(1);
  window_->show();
  QTest::mouseClick(secondary, Qt::LeftButton);
  QTest::keyClicks(secondary, QStringLiteral("x"));
  EXPECT_EQ(secondary->text(), QStringLiteral("暂停使用"));
}

TEST_F(WindowTest, ClickingATabShowsItsPage) {
  window_->show();
  QTabBar* bar = window_->main_tabs()->tab_bar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(window_->main_tabs()->current_index(), 1);
  EXPECT_TRUE(control<QPushButton>("按钮24")->isVisible());
  EXPECT_FALSE(control<QPushButton>("按钮1")->isVisible());
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
  EXPECT_TRUE(control<QPushButton>("按钮1")->isVisible());
}

TEST_F(WindowTest, PopupMenusHoldTheirItemsInOrder) {
  const auto captions = [](QMenu* menu) {
    QStringList list;
    for (QAction* action : menu->actions()) list << action->text();
    return list;
  };
  const PopupMenus& menus = window_->popup_menus();
  EXPECT_EQ(menus.normal->objectName(), QStringLiteral("普通右击"));
  EXPECT_EQ(captions(menus.normal),
            (QStringList{QStringLiteral("分享好友"), QStringLiteral("复制链接"),
                         QStringLiteral("打开链接"), QStringLiteral("导出excle数据"),
                         QStringLiteral("导出TXT文本")}));
  EXPECT_EQ(captions(menus.torrent), QStringList{QStringLiteral("打开种子")});
  EXPECT_EQ(captions(menus.tray),
            (QStringList{QStringLiteral("显示面板"), QStringLiteral("退出软件")}));
}

TEST_F(WindowTest, KeywordBoxClearsOnlyTheExactPlaceholderOnALeftPress) {
  struct Case {
    QString before;
    Qt::MouseButton button;
    QString after;
  };
  const QString placeholder = QStringLiteral("（请输入关键词）");
  const Case cases[] = {
      {placeholder, Qt::LeftButton, {}},
      {placeholder + QLatin1Char(' '), Qt::LeftButton, placeholder + QLatin1Char(' ')},
      {QStringLiteral("请输入关键词"), Qt::LeftButton, QStringLiteral("请输入关键词")},
      {placeholder, Qt::RightButton, placeholder},
  };
  window_->show();
  auto* box = control<QLineEdit>("编辑框2");
  for (const Case& c : cases) {
    box->setText(c.before);
    QTest::mouseClick(box, c.button);
    EXPECT_EQ(box->text(), c.after) << c.before.toStdString();
  }
  // Nothing puts the placeholder back.
  box->setText(placeholder);
  QTest::mouseClick(box, Qt::LeftButton);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(box->text().isEmpty());
  EXPECT_TRUE(window_->keyword_gbk().empty());
}

TEST_F(WindowTest, UsageNoteAndLinksReactToALeftPress) {
  window_->show();
  QTest::mouseClick(control<QLabel>("透明标签4"), Qt::LeftButton);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Information);
  EXPECT_EQ(messages_[0].title, QStringLiteral("温馨提示："));
  EXPECT_TRUE(messages_[0].text.startsWith(QStringLiteral("软件内置6种搜索引擎，4个种子搜索引擎")));
  EXPECT_TRUE(messages_[0].text.endsWith(QStringLiteral("可尝试不同引擎搜索结果！")));

  QTest::mouseClick(control<QLabel>("图片框1"), Qt::LeftButton);
  QTest::mouseClick(control<QLabel>("图片框3"), Qt::LeftButton);
  window_->main_tabs()->set_current_index(1);
  QTest::mouseClick(control<QLabel>("图片框2"), Qt::LeftButton);
  QTest::mouseClick(control<QPushButton>("按钮5"), Qt::LeftButton);
  QTest::mouseClick(control<QLabel>("图片框10"), Qt::LeftButton);  // no action
  EXPECT_EQ(opened_, (std::vector<QString>{QStringLiteral("http://127.0.0.1:9/site"),
                                           QStringLiteral("http://127.0.0.1:9/site"),
                                           QStringLiteral("http://127.0.0.1:9/group"),
                                           QStringLiteral("http://127.0.0.1:9/share")}));
}

TEST_F(WindowTest, DonationWindowOpensModallyFromItsButtonAndFromTheStatusBar) {
  window_->show();
  window_->main_tabs()->set_current_index(1);
  std::vector<QString> seen;
  const auto close_when_open = [&seen] {
    QTimer::singleShot(0, [&seen] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* donation = qobject_cast<DonationWindow*>(modal)) {
        seen.push_back(donation->windowTitle());
        EXPECT_EQ(donation->size(), QSize(406, 323));
        donation->close();
      }
    });
  };
  close_when_open();
  QTest::mouseClick(control<QPushButton>("按钮24"), Qt::LeftButton);
  close_when_open();
  QTest::mouseClick(window_->status_bar()->panel(2), Qt::LeftButton);
  close_when_open();
  QTest::mouseClick(window_->status_bar(), Qt::LeftButton, {}, QPoint(1051, 10));
  EXPECT_EQ(seen, std::vector<QString>(3, QStringLiteral("捐赠作者（作者承诺永久免费）")));
}

TEST_F(WindowTest, ExitInTheTrayMenuOrClosingTheWindowEndsTheProgram) {
  const auto run_until_ended = [](std::function<void()> action) {
    QTimer::singleShot(0, action);
    QTimer not_ended;  // fails the check instead of hanging; gone with this scope
    not_ended.setSingleShot(true);
    QObject::connect(&not_ended, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    not_ended.start(5000);
    return QApplication::exec();
  };
  window_->show();
  EXPECT_EQ(run_until_ended([this] {
              PopupMenus::item(window_->popup_menus().tray, QStringLiteral("退出软件"))->trigger();
            }),
            0);
  EXPECT_EQ(run_until_ended([this] { window_->close(); }), 0);
}

TEST_F(WindowTest, CreationSequenceRunsItsStepsInOrder) {
  std::vector<std::string> steps;
  CreationSteps hooks;
  hooks.add_tray_icon = [&] { steps.push_back("tray"); };
  hooks.hook_tray_events = [&] { steps.push_back("hook"); };
  hooks.apply_skin = [&] { steps.push_back("skin"); };
  hooks.run_update_check = [&] {
    steps.push_back("update:" + std::to_string(window_->work_log().size()));
    return true;
  };
  hooks.setup_notice = [&] {
    steps.push_back(std::string("notice:folder=") +
                    (std::filesystem::is_directory(temp_ / "Trovix") ? "yes" : "no"));
  };
  hooks.fill_usage_panel = [&] { steps.push_back("counter"); };

  ASSERT_TRUE(window_->run_creation_sequence(hooks));
  EXPECT_EQ(steps, (std::vector<std::string>{"tray", "hook", "skin", "update:0",
                                             "notice:folder=yes", "counter"}));
  EXPECT_EQ(window_->work_log().text(),
            gbk("<<<程序初始化完成，等待搜索命令...\r\n<<<温馨提示：单机表头可按标题排序！\r\n"));
  window_->flush_views();
  EXPECT_EQ(
      control<QPlainTextEdit>("编辑框1")->toPlainText(),
      QStringLiteral("<<<程序初始化完成，等待搜索命令...\n<<<温馨提示：单机表头可按标题排序！\n"));
}

TEST_F(WindowTest, UpdateCheckThatEndsTheProgramSkipsTheLaterSteps) {
  bool later_step_ran = false;
  CreationSteps hooks;
  hooks.run_update_check = [] { return false; };
  hooks.setup_notice = [&] { later_step_ran = true; };
  EXPECT_FALSE(window_->run_creation_sequence(hooks));
  EXPECT_FALSE(later_step_ran);
  EXPECT_EQ(window_->work_log().size(), 0u);
  EXPECT_FALSE(std::filesystem::exists(temp_ / "Trovix"));
}

TEST_F(WindowTest, DefaultFolderIsCreatedOneLevelAndAFileInItsPlaceIsLeftAlone) {
  // A file of that name: nothing is created, nothing is reported.
  { std::ofstream(temp_ / "Trovix") << "not a folder"; }
  EXPECT_TRUE(window_->run_creation_sequence({}));
  EXPECT_TRUE(std::filesystem::is_regular_file(temp_ / "Trovix"));
  EXPECT_TRUE(messages_.empty());

  // Only one level is made: a missing parent means no folder, and no complaint.
  ensure_default_folder((temp_ / "missing" / "Trovix").string());
  EXPECT_FALSE(std::filesystem::exists(temp_ / "missing"));
  ensure_default_folder((temp_ / "Fresh").string());
  EXPECT_TRUE(std::filesystem::is_directory(temp_ / "Fresh"));
}

}  // namespace
}  // namespace trovix::testing
