// The residency's rules on the offscreen platform, with a notification area
// that records what it is handed; the real one is checked on X by
// tests/tray/residency_x11.sh.
#include "app/tray_residency.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "app/app_fixture.h"
#include "app/popup_menus.h"
#include "tray/recording_shell.h"
#include "web/codec.h"

namespace trovix {
namespace {

using testing::RecordingShell;

class TrayResidencyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.setFixedSize(300, 200);
    menus = make_popup_menus(&window);
    residency = new TrayResidency(window, menus.tray, shell, RecordingShell::kWindow);
    residency->set_cursor_source([] { return QPoint(40, 30); });
    residency->add_icon();
    residency->hook_events();
    window.move(3, 7);
    window.show();
  }
  void TearDown() override { menus.tray->hide(); }

  void minimise() {
    window.showMinimized();
    QCoreApplication::processEvents();
  }
  void event(int code) { shell.procedure(tray_message::callback, code); }
  int balloons() const {
    int count = 0;
    for (const auto& call : shell.calls)
      if (call.command == ShellCommand::modify && !call.record.info_text().empty()) ++count;
    return count;
  }
  // Where the window's frame must stand.
  QPoint centre() const {
    const QRect screen = window.screen()->geometry();
    const ScreenPoint at =
        centred_position(screen.width(), screen.height(), window.frameGeometry().width(),
                         window.frameGeometry().height());
    return {screen.x() + at.x, screen.y() + at.y};
  }

  RecordingShell shell;
  QWidget window;
  PopupMenus menus;
  TrayResidency* residency = nullptr;
};

TEST_F(TrayResidencyTest, MinimiseHidesTheWindowAndShowsTheBalloon) {
  ASSERT_TRUE(residency->icon_added());
  minimise();
  EXPECT_TRUE(window.isHidden());
  const NotifyRecord& sent = shell.calls.back().record;
  EXPECT_EQ(sent.info_title_text(), gbk("温馨提示："));
  EXPECT_EQ(sent.info_text(), gbk("小主人，我缩小到这儿来啦，右击我查看显示主窗口吆。"));
  EXPECT_EQ(sent.info_flags, 0u);
  EXPECT_EQ(sent.flags, 23u);
}

TEST_F(TrayResidencyTest, WithoutANotificationAreaMinimiseKeepsTheWindowReachable) {
  shell.available = false;
  minimise();
  EXPECT_FALSE(window.isHidden());
  EXPECT_TRUE(window.isMinimized());
  EXPECT_EQ(balloons(), 0);

  // An icon the area refused leaves the window where minimise put it, too.
  shell.available = true;
  shell.result = 0;
  residency->add_icon();
  EXPECT_FALSE(residency->icon_added());
  window.showNormal();
  minimise();
  EXPECT_FALSE(window.isHidden());
}

TEST_F(TrayResidencyTest, RightClickShowsTheMenuAtTheCursorAndALeftClickNothing) {
  event(tray_event::left_button_up);
  EXPECT_FALSE(menus.tray->isVisible());
  event(tray_event::right_button_up);
  EXPECT_TRUE(menus.tray->isVisible());
  EXPECT_EQ(menus.tray->pos(), QPoint(40, 30));
}

TEST_F(TrayResidencyTest, DoubleClickAndShowPanelRestoreTheWindowCentred) {
  minimise();
  ASSERT_TRUE(window.isHidden());
  event(tray_event::left_double_click);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
  EXPECT_EQ(window.pos(), centre());

  // "显示面板" on a visible, normal window moves it to the middle too; a
  // maximised one comes back to its normal size.
  window.move(5, 5);
  window.showMaximized();
  PopupMenus::item(menus.tray, QStringLiteral("显示面板"))->trigger();
  EXPECT_FALSE(window.isMaximized());
  EXPECT_EQ(window.pos(), centre());
}

TEST_F(TrayResidencyTest, MaximiseIsNoMinimise) {
  window.showMaximized();
  QCoreApplication::processEvents();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(balloons(), 0);
}

TEST_F(TrayResidencyTest, FiftyQuickRoundsLoseNothing) {
  for (int i = 0; i < 50; ++i) {
    minimise();
    event(tray_event::left_double_click);
  }
  // Minimised and restored before the hide ran: the window still stands.
  window.showMinimized();
  event(tray_event::left_double_click);
  QCoreApplication::processEvents();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(balloons(), 50);
}

TEST_F(TrayResidencyTest, TheAreaGoingAwayGivesTheWindowBackAndItsReturnTheIcon) {
  minimise();
  ASSERT_TRUE(window.isHidden());
  shell.available = false;
  residency->on_area_lost();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(residency->icon_added());

  shell.available = true;
  const std::size_t before = shell.calls.size();
  shell.procedure(RecordingShell::kAreaCreated, 0);
  ASSERT_EQ(shell.calls.size(), before + 1);
  EXPECT_EQ(shell.calls.back().command, ShellCommand::add);
  EXPECT_TRUE(residency->icon_added());
}

TEST_F(TrayResidencyTest, DestructionIsReportedAndIgnored) {
  EXPECT_FALSE(shell.procedure(tray_message::destroy, 0));
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace trovix
