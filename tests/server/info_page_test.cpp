// The information page reader and the update decision on the page shapes the
// server may send, hostile ones included.
#include "server/info_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/update_decision.h"
#include "web/codec.h"

namespace trovix {
namespace {

using Items = std::vector<std::string>;

Items gbk_items(std::initializer_list<const char*> utf8) {
  Items items;
  for (const char* item : utf8) items.push_back(gbk(item));
  return items;
}

TEST(InfoPage, EveryValueStandsBetweenItsMarkerAndTerminator) {
  const std::string page =
      gbk("<html>【公告链接】http://n/x@【最新版本号】1.2.0b【更新地址】http://u/new.exe?q=1q"
          "【软件名称】Trovixa【弹窗链接】<p>http://x/</p>e【弹窗内容】<p>你好</p><P>世界</P>f"
          "【滚动公告】公告o【更新内容】<p>（一）</p>（二）c</html>");
  const InfoPage info = read_info_page(page);
  EXPECT_EQ(info.newest_version, "1.2.0");
  // The address ends before its first lower-case q.
  EXPECT_EQ(info.values.update_address, "http://u/new.exe?");
  EXPECT_EQ(info.values.new_program_file, "Trovix.exe");
  EXPECT_EQ(info.values.exit_link, "http://x/");
  EXPECT_EQ(info.values.popup_content, gbk("你好世界"));
  EXPECT_EQ(info.values.scroll_notice, gbk("公告"));
  EXPECT_EQ(info.values.notice_link, "http://n/x");
  EXPECT_EQ(info.history, gbk_items({"一", "二"}));
}

TEST(InfoPage, EdgeCasesOfTheDescription) {
  struct Case {
    const char* name;
    std::string page;
    std::string newest;
    Items history;
    bool offered;
  };
  const std::vector<Case> cases = {
      {"only the version marker", gbk("【最新版本号】1.1.5b"), "1.1.5", {}, false},
      {"blanks around the version", gbk("【最新版本号】 1.1.5 b"), " 1.1.5 ", {}, false},
      {"a lower version", gbk("【最新版本号】1.1.4b"), "1.1.4", {}, true},
      {"three items, one blank", gbk("【最新版本号】1.1.5b【更新内容】（甲） （ ）（乙）c"),
       "1.1.5", gbk_items({"甲", "乙"}), false},
      {"capital paragraph tags", gbk("【更新内容】<P>（甲）</P><p>（乙）</P>c"), "",
       gbk_items({"甲", "乙"}), false},
      {"a parenthesis inside an item", gbk("【更新内容】（a（b）c"), "", gbk_items({"a（b"}),
       false},
      {"an empty item before a real one", gbk("【更新内容】（（x）c"), "", gbk_items({"（x"}),
       false},
      {"a marker twice", gbk("【最新版本号】1.2.0b【最新版本号】1.1.5b"), "1.2.0", {}, true},
      {"no terminator", gbk("【最新版本号】1.2.0【更新内容】（x）"), "", {}, false},
      {"marker at the very end", gbk("x【最新版本号】"), "", {}, false},
      {"an item without its closing parenthesis", gbk("【更新内容】（甲）（乙c"), "",
       gbk_items({"甲"}), false},
      {"unreadable page", "", "", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const InfoPage info = read_info_page(c.page);
    EXPECT_EQ(info.newest_version, c.newest);
    EXPECT_EQ(info.history, c.history);
    EXPECT_EQ(update_offered(kCurrentVersion, info.newest_version), c.offered);
  }
}

TEST(InfoPage, AnUnreadablePageLeavesEveryValueEmpty) {
  const InfoPage info = read_info_page(page_text(""));
  EXPECT_EQ(info.values.update_address, "");
  EXPECT_EQ(info.values.new_program_file, "");
  EXPECT_EQ(info.values.exit_link, "");
  EXPECT_EQ(info.values.popup_content, "");
  EXPECT_EQ(info.values.scroll_notice, "");
  EXPECT_EQ(info.values.notice_link, "");
  EXPECT_TRUE(info.history.empty());
}

TEST(InfoPage, TheTextEndsAtTheFirstZeroByte) {
  const std::string bytes =
      gbk("【最新版本号】1.1.5b") + std::string(1, '\0') + gbk("【滚动公告】后o");
  const InfoPage info = read_info_page(page_text(bytes));
  EXPECT_EQ(info.newest_version, "1.1.5");
  EXPECT_EQ(info.values.scroll_notice, "");
}

TEST(InfoPage, HostilePagesGiveTheirValuesOrNothing) {
  // 10 MB of filler with the markers at the very end, invalid GBK bytes in
  // front of a marker, and a value made of stray lead bytes.
  std::string big(10u * 1024 * 1024, 'x');
  big += gbk("【最新版本号】1.1.5b【更新内容】（大）c");
  const InfoPage from_big = read_info_page(big);
  EXPECT_EQ(from_big.newest_version, "1.1.5");
  EXPECT_EQ(from_big.history, gbk_items({"大"}));

  const std::string invalid =
      std::string("\x81\xff\xfe\x80", 4) + gbk("【滚动公告】") + std::string("\x81\x20", 2) + "o";
  EXPECT_EQ(read_info_page(invalid).values.scroll_notice, std::string("\x81\x20", 2));
  // A lead byte swallows the terminator after it as its second byte: no value.
  EXPECT_EQ(read_info_page(gbk("【滚动公告】") + "\xff" + "o").values.scroll_notice, "");

  // Nothing but openings, or a page of stray lead bytes: no items, no crash.
  std::string openings = gbk("【更新内容】");
  for (int i = 0; i < 100000; ++i) openings += gbk("（");
  EXPECT_TRUE(read_info_page(openings + "c").history.empty());
  EXPECT_TRUE(read_info_page(std::string(100000, '\xa3')).history.empty());
}

TEST(UpdateDecision, VersionsAreComparedAsTrimmedText) {
  EXPECT_FALSE(update_offered("1.1.5", "1.1.5"));
  EXPECT_FALSE(update_offered(" 1.1.5", "1.1.5  "));
  EXPECT_TRUE(update_offered("1.1.5", "1.1.50"));
  EXPECT_TRUE(update_offered("1.1.5", "1.01.5"));  // text, not numbers
  EXPECT_FALSE(update_offered("1.1.5", ""));       // nothing read: nothing offered
  EXPECT_FALSE(update_offered("1.1.5", "   "));
}

TEST(UpdateDecision, TheCountdownShowsSevenToOneAndEndsOnTheEighthTick) {
  Countdown countdown;
  std::vector<std::string> captions;
  int ticks = 0;
  while (!countdown.tick()) {
    captions.push_back(countdown.caption());
    ++ticks;
  }
  EXPECT_EQ(ticks + 1, 8);
  ASSERT_EQ(captions.size(), 7u);
  EXPECT_EQ(captions.front(), gbk("7秒后自动关闭"));
  EXPECT_EQ(captions.back(), gbk("1秒后自动关闭"));
  EXPECT_TRUE(countdown.tick());  // stays at zero
}

}  // namespace
}  // namespace trovix
