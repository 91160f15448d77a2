#include "tray/tray_icon.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "recording_shell.h"

namespace trovix {
namespace {

using testing::RecordingShell;

std::string read_file(const std::string& name) {
  std::ifstream in(std::string(TROVIX_TRAY_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class TrayIconTest : public ::testing::Test {
 protected:
  int add() { return tray.add(RecordingShell::kWindow, {}, false, ""); }

  RecordingShell shell;
  TrayIcon tray{shell};
};

TEST_F(TrayIconTest, AddFillsTheRecordWithTheWindowsSmallIcon) {
  EXPECT_EQ(add(), 1);
  ASSERT_EQ(shell.calls.size(), 1u);
  const NotifyRecord& sent = shell.calls[0].record;
  EXPECT_EQ(shell.calls[0].command, ShellCommand::add);
  EXPECT_EQ(sent.size, 488u);
  EXPECT_EQ(sent.window, RecordingShell::kWindow);
  EXPECT_EQ(sent.icon_id, 1u);
  EXPECT_EQ(sent.flags, 23u);
  EXPECT_EQ(sent.callback_message, 11685u);
  EXPECT_EQ(sent.icon, RecordingShell::kSmallIcon);
  EXPECT_EQ(sent.timeout_ms, 10000u);
  EXPECT_EQ(sent.tip_text(), "");
  EXPECT_EQ(tray.window(), RecordingShell::kWindow);
}

TEST_F(TrayIconTest, AddOnSomethingThatIsNotAWindowChangesNothing) {
  EXPECT_EQ(tray.add(0x1234, {}, false, "tip"), 0);
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(tray.window(), 0u);
  EXPECT_EQ(tray.record().size, 0u);
  tray.hook_window([](int) {}, true);  // no window stored: nothing hooked
  EXPECT_FALSE(tray.hooked());
  EXPECT_FALSE(shell.procedure);
}

TEST_F(TrayIconTest, TextsAreCutBytewiseToOneLessThanTheirBuffers) {
  add();
  struct Case {
    std::size_t length;
    std::size_t tip, title, text;
  };
  for (const Case& c :
       {Case{200, 127, 63, 200}, Case{63, 63, 63, 63}, Case{64, 64, 63, 64},
        Case{255, 127, 63, 255}, Case{256, 127, 63, 255}, Case{10000, 127, 63, 255}}) {
    const std::string long_text(c.length, 'x');
    tray.set_tip(long_text);
    EXPECT_EQ(shell.calls.back().record.tip_text(), long_text.substr(0, c.tip)) << c.length;
    tray.show_balloon(long_text, long_text, 0);
    EXPECT_EQ(shell.calls.back().record.info_title_text().size(), c.title) << c.length;
    EXPECT_EQ(shell.calls.back().record.info_text().size(), c.text) << c.length;
  }
}

TEST_F(TrayIconTest, ACutMaySplitATwoByteCharacterAndAZeroEndsTheText) {
  add();
  // 63 two-byte characters and one more: the cut at 127 bytes keeps half of
  // the 64th, as a byte-wise cut does. Invalid GBK goes through untouched.
  std::string tip;
  for (int i = 0; i < 64; ++i) tip += "\xD6\xD0";
  tray.set_tip(tip);
  EXPECT_EQ(shell.calls.back().record.tip_text(), tip.substr(0, 127));
  tray.set_tip(std::string("\xFF\x80\x81\x00tail", 8));
  EXPECT_EQ(shell.calls.back().record.tip_text(), "\xFF\x80\x81");
}

TEST_F(TrayIconTest, SetIconDropsTheInfoFlagSoALaterBalloonSendsSeven) {
  add();
  const std::string icon = read_file("trovix.ico");
  ASSERT_EQ(tray.set_icon(icon), 1);
  EXPECT_EQ(shell.calls.back().record.flags, 7u);
  EXPECT_EQ(shell.calls.back().record.icon, RecordingShell::kMadeIcon + 1);
  tray.show_balloon("title", "text", 1);
  const NotifyRecord& sent = shell.calls.back().record;
  EXPECT_EQ(shell.calls.back().command, ShellCommand::modify);
  EXPECT_EQ(sent.flags, 7u);
  EXPECT_EQ(sent.info_title_text(), "title");
  EXPECT_EQ(sent.info_text(), "text");
  EXPECT_EQ(sent.info_flags, 1u);
}

TEST_F(TrayIconTest, SetIconWithBytesThatGiveNoIconChangesNothing) {
  add();
  const NotifyRecord before = tray.record();
  for (const std::string& bytes : {std::string(), std::string(6, '\0'), std::string("GIF89a")}) {
    EXPECT_EQ(tray.set_icon(bytes), 0);
  }
  EXPECT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(tray.record().flags, before.flags);
  EXPECT_EQ(tray.record().icon, before.icon);
}

TEST_F(TrayIconTest, AddWithIconBytesUsesImageZeroOrNoIcon) {
  EXPECT_EQ(tray.add(RecordingShell::kWindow, read_file("trovix.ico"), true, ""), 1);
  EXPECT_EQ(shell.calls.back().record.icon, RecordingShell::kMadeIcon + 1);
  EXPECT_FALSE(shell.made.at(0).second);  // image 0 is the 16-pixel bitmap
  // Broken bytes leave the icon empty; the notification area is asked all the same.
  EXPECT_EQ(tray.add(RecordingShell::kWindow, "broken", true, ""), 1);
  EXPECT_EQ(shell.calls.back().record.icon, 0u);
}

TEST_F(TrayIconTest, TheShellsAnswerIsReturnedAndItsRecordKept) {
  shell.result = 0;
  EXPECT_EQ(add(), 0);
  EXPECT_EQ(tray.show_balloon("a", "b", 0), 0);
  EXPECT_EQ(tray.remove(), 0);
  EXPECT_EQ(shell.calls.back().command, ShellCommand::remove);
}

TEST_F(TrayIconTest, EventRoutineReceivesTheCodesAndConsumesTheIconsMessages) {
  add();
  std::vector<int> codes;
  tray.hook_window([&](int code) { codes.push_back(code); }, true);
  ASSERT_TRUE(shell.procedure);
  EXPECT_TRUE(shell.procedure(tray_message::callback, tray_event::right_button_up));
  EXPECT_TRUE(shell.procedure(tray_message::callback, tray_event::left_double_click));
  EXPECT_TRUE(shell.procedure(RecordingShell::kAreaCreated, 0));
  EXPECT_FALSE(shell.procedure(0x0200, 0));  // anything else goes on untouched
  // Destruction is reported, and the window still gets to handle it.
  EXPECT_FALSE(shell.procedure(tray_message::destroy, 0));
  EXPECT_EQ(codes, (std::vector<int>{517, 515, 1120, 1130}));
}

TEST_F(TrayIconTest, WithoutARoutineEveryMessageIsPassedOn) {
  add();
  tray.hook_window([](int) { FAIL(); }, false);
  ASSERT_TRUE(tray.hooked());
  EXPECT_FALSE(shell.procedure(tray_message::callback, tray_event::right_button_up));
  EXPECT_FALSE(shell.procedure(RecordingShell::kAreaCreated, 0));
  EXPECT_FALSE(shell.procedure(tray_message::destroy, 0));
}

TEST_F(TrayIconTest, RemoveTakesTheHookAwayAndSoDoesTheDestructor) {
  add();
  int calls = 0;
  tray.hook_window([&](int) { ++calls; }, true);
  EXPECT_EQ(tray.remove(), 1);
  EXPECT_FALSE(shell.procedure);
  EXPECT_EQ(tray.window(), 0u);
  {
    TrayIcon other(shell);
    other.add(RecordingShell::kWindow, {}, false, "");
    other.hook_window([&](int) { ++calls; }, true);
    EXPECT_TRUE(shell.procedure);
  }
  EXPECT_FALSE(shell.procedure);
  EXPECT_EQ(calls, 0);
}

TEST_F(TrayIconTest, CopyHasItsOwnRecordAndLeavesTheHookWithTheOriginal) {
  add();
  tray.set_tip("first");
  tray.hook_window([](int) {}, true);
  std::unique_ptr<TrayIcon> other = tray.copy();
  other->set_tip("second");
  EXPECT_EQ(tray.record().tip_text(), "first");
  EXPECT_EQ(other->window(), tray.window());
  EXPECT_FALSE(other->hooked());
  other.reset();
  EXPECT_TRUE(shell.procedure);  // the copy going away did not unhook the original
  tray.destroy();
  EXPECT_EQ(tray.record().size, 0u);
  EXPECT_EQ(tray.record().tip_text(), "");
}

TEST(CentredPosition, UsesIntegerHalvesAndKeepsTheTitleBarOnScreen) {
  EXPECT_EQ(centred_position(1920, 1080, 1056, 553).x, 432);
  EXPECT_EQ(centred_position(1920, 1080, 1056, 553).y, 263);
  EXPECT_EQ(centred_position(1025, 769, 1056, 553).x, 0);
  EXPECT_EQ(centred_position(1025, 500, 100, 553).y, 0);
}

}  // namespace
}  // namespace trovix
