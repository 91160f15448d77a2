// The run-time text, the usage line from the counter page, the notice
// geometry and the popup's place and fade.
#include "server/status_texts.h"

#include <gtest/gtest.h>

#include "server/popup_geometry.h"
#include "web/codec.h"

namespace trovix {
namespace {

TEST(Uptime, TextAfterTicks) {
  struct Case {
    long ticks;
    const char* clock;
  };
  const Case cases[] = {
      {1, "00:00:01"},
      {59, "00:00:59"},
      {60, "00:01:00"},
      {3600, "01:00:00"},
      {3661, "01:01:01"},
      {100L * 3600, "00:00:00"},
      {123L * 3600 + 5, "23:00:05"},
  };
  for (const Case& c : cases) {
    Uptime uptime;
    for (long i = 0; i < c.ticks; ++i) uptime.tick();
    EXPECT_EQ(uptime.text(), gbk("系统已运行：") + c.clock) << c.ticks;
  }
  EXPECT_EQ(Uptime().text(), gbk("系统已运行：00:00:00"));
}

TEST(UsageLine, FromTheCounterPage) {
  const std::string empty_line = gbk("今日使用：          累计使用：");
  struct Case {
    const char* name;
    std::string page;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"plain markers", gbk("今天访问：12&#10;累计访问：3456&#10;"),
       gbk("今日使用：12          累计使用：3456")},
      {"percent-encoded markers",
       "document.write(unescape('" + url_encode(gbk("今天访问：")) + "12&#10;" +
           url_encode(gbk("累计访问：")) + "3456&#10;'));",
       gbk("今日使用：12          累计使用：3456")},
      {"no page", "", empty_line},
      {"one marker missing", gbk("累计访问：7&#10;"), gbk("今日使用：          累计使用：7")},
      {"broken escapes, no terminator", "%E4%B%%%zz" + gbk("今天访问：") + "12%", empty_line},
      {"marker at the very end", gbk("今天访问："), empty_line},
  };
  for (const Case& c : cases) EXPECT_EQ(usage_line(c.page), c.line) << c.name;
  // A counter page of 10 MB of escapes is decoded and searched all the same.
  std::string big;
  for (int i = 0; i < 1'000'000; ++i) big += "%41%42%43";
  EXPECT_EQ(usage_line(big + gbk("今天访问：1&#10;累计访问：2&#10;")),
            gbk("今日使用：1          累计使用：2"));
}

TEST(UsageLine, CounterAddressCarriesItsThreeKeysInOrder) {
  EXPECT_EQ(counter_address("http://c/count1/count.asp", "42"),
            "http://c/count1/count.asp?id=42&sx=1&ys=43");
}

TEST(Notice, WidthAndWrap) {
  const std::string ten = gbk("一二三四五六七八九十");
  EXPECT_EQ(notice_width(ten), 180);
  EXPECT_EQ(notice_width("abc"), 27);
  EXPECT_EQ(notice_width(""), 0);
  // Still partly inside: one pixel on; gone on the left: re-enters at 1 055.
  EXPECT_EQ(next_notice_left(-179, 180, 1056), -180);
  EXPECT_EQ(next_notice_left(-180, 180, 1056), 1055);
  EXPECT_EQ(next_notice_left(0, 0, 1056), 1055);  // an empty notice still runs through
  EXPECT_EQ(next_notice_left(5, 120, 1056), 4);
  // A hostile width near the limit never overflows.
  EXPECT_GT(notice_width(std::string(100'000'000, 'x')), 0);
}

TEST(Popup, PlaceAboveTheTaskbarAtTheLowerRight) {
  const PopupPlace place = popup_place(1920, 1080, 243, 158, 40);
  EXPECT_EQ(place.left, 1677);
  EXPECT_EQ(place.top, 882);
  const PopupPlace no_taskbar = popup_place(1920, 1080, 243, 158, 0);
  EXPECT_EQ(no_taskbar.top, 922);
  // A screen smaller than the popup keeps the title bar on the screen.
  const PopupPlace tiny = popup_place(200, 100, 243, 158, 40);
  EXPECT_EQ(tiny.left, 0);
  EXPECT_EQ(tiny.top, 0);
}

TEST(Popup, FadeRunsInStepsOfTenAndEndsOpaque) {
  int level = 0;
  for (int tick = 1; tick <= 25; ++tick) {
    level += kFadeStep;
    EXPECT_FALSE(fade_finished(level));
  }
  EXPECT_EQ(opacity_of_level(level), 250);
  level += kFadeStep;
  EXPECT_EQ(opacity_of_level(level), 255);
  EXPECT_TRUE(fade_finished(level));
  EXPECT_EQ(opacity_of_level(-1), 255);
  EXPECT_EQ(opacity_of_level(0), 0);
}

}  // namespace
}  // namespace trovix
