// 种子引擎3 end to end: script-written titles and detail-page links, against
// the simulated site.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "search/engine_patterns.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix::testing {
namespace {

constexpr int kEngine = 3;

class Engine3 : public EngineTest {
 protected:
  // The site writes "About 25 results in 12 milliseconds": both texts keep
  // the space before the next word.
  static std::string start_line(const std::string& count, int pages,
                                const std::string& time = "12 ") {
    return gbk("<<<3号种子引擎已启动,正在加载~\r\n<<<本次共检索到：") + count + gbk("条结果，约") +
           std::to_string(pages) + gbk("页！用时") + time + "\r\n";
  }
  static std::string done_line() { return gbk("<<<加载完成！\r\n"); }
};

TEST_F(Engine3, EveryPassLoadsAPageAndAFirstEmptyTitleEndsTheSearch) {
  const struct {
    const char* keyword;
    std::string count;
    int pages;
    int full_pages;  // pages listed with a progress line
    int rows;
    bool done;  // ended on an empty title
  } cases[] = {
      // The site fills every page: all three passes, then the search ends silently.
      {"fullpages25", "25 ", 3, 3, 30, false},
      // Page 3 holds 5 hits: row 26 has no title.
      {"t25", "25 ", 3, 2, 26, true},
      // A page of 4 hits: row 5 has no title and that page gets no progress line.
      {"x4", "4 ", 1, 0, 5, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword);
    EXPECT_EQ(run->log, start_line(c.count, c.pages) + progress(kEngine, 1, c.full_pages) +
                            (c.done ? done_line() : ""));
    EXPECT_EQ(run->enables, 0);
    ASSERT_EQ(run->rows(), c.rows);
    EXPECT_EQ(misnumbered_rows(*run), "");
    for (int row = 0; row < c.rows - (c.done ? 1 : 0); ++row)
      ASSERT_FALSE(run->cell(row, 1).empty()) << row;
    if (c.done) {
      // The row without a title stays, with the site address alone as its link.
      const int last = c.rows - 1;
      EXPECT_EQ(run->cell(last, 1), "");
      EXPECT_EQ(run->cell(last, 2), "");
      EXPECT_EQ(run->cell(last, 5), site(kEngine));
    }
  }
}

TEST_F(Engine3, TitlesAreDecodedAndLinksLeadToDetailPages) {
  const auto run = this->run(kEngine, "fixture4");
  ASSERT_EQ(run->rows(), 5);
  // Two quoted pieces of UTF-8 escapes joined by "+", with <b> markup inside;
  // an escaped "+" belongs to the title.
  EXPECT_EQ(run->cell(0, 1), gbk("中文标题 A+B"));
  EXPECT_EQ(run->cell(0, 5), site(kEngine) + "/wiki/abc.html");
  for (int row = 1; row < 4; ++row) {
    SCOPED_TRACE(row);
    EXPECT_NE(run->cell(row, 1).find("fixture4"), std::string::npos) << run->cell(row, 1);
    EXPECT_EQ(run->cell(row, 1).find('<'), std::string::npos);
    EXPECT_EQ(run->cell(row, 2).size(), 10u);
    EXPECT_FALSE(run->cell(row, 3).empty());
    EXPECT_FALSE(run->cell(row, 4).empty());
    EXPECT_EQ(run->cell(row, 5).rfind(site(kEngine) + "/wiki/", 0), 0u);
  }
  // The detail pages carry the magnet link in their "Magnet Link" panel.
  EXPECT_EQ(text_between(WebRequest(run->cell(0, 5)), magnet_left_marker(), magnet_right_marker()),
            "magnet:?xt=urn:btih:0123");
  const std::string detail = run->cell(1, 5);
  const std::string hash = detail.substr(detail.size() - 45, 40);
  EXPECT_EQ(text_between(WebRequest(detail), magnet_left_marker(), magnet_right_marker()),
            "magnet:?xt=urn:btih:" + hash);
  const auto removed = this->run(kEngine, "nopanel4");
  ASSERT_EQ(removed->rows(), 5);
  const std::string removed_page = WebRequest(removed->cell(0, 5));
  EXPECT_NE(removed_page.find("</html>"), std::string::npos);
  EXPECT_EQ(text_between(removed_page, magnet_left_marker(), magnet_right_marker()), "");
  // A Chinese keyword comes back in the titles as the same GBK text.
  const std::string keyword = gbk("电影 合集4");
  const auto chinese = this->run(kEngine, keyword);
  ASSERT_EQ(chinese->rows(), 5);
  EXPECT_NE(chinese->cell(0, 1).find(keyword), std::string::npos);
}

TEST_F(Engine3, PauseIsReadBeforeEachPage) {
  const auto run = this->run(kEngine, "fullpages100", pause_on(page_progress_line(kEngine, 2)));
  EXPECT_EQ(run->log,
            start_line("100 ", 11) + progress(kEngine, 1, 2) + gbk("<<<本次加载完毕！\r\n"));
  EXPECT_EQ(run->rows(), 20);
  EXPECT_EQ(run->enables, 1);
}

TEST_F(Engine3, PagesWithoutHitsEndAtTheirFirstRow) {
  // No count reads as 0 (one pass); a page without hits, cut off or refused
  // ends on its first row.
  for (const char* keyword : {"nomarker25", "reset25"}) {
    SCOPED_TRACE(keyword);
    const auto run = this->run(kEngine, keyword);
    EXPECT_EQ(run->log, start_line("", 1, "") + done_line());
    EXPECT_EQ(run->rows(), 1);
    EXPECT_EQ(run->enables, 0);
  }
  const auto cut = this->run(kEngine, "cutpage2x25");
  EXPECT_EQ(cut->log.rfind(done_line()), cut->log.size() - done_line().size());
  EXPECT_GT(cut->rows(), 10);
  EXPECT_LE(cut->rows(), 20);
}

TEST_F(Engine3, DamagedPagesAreReadLikeOthers) {
  for (const char* keyword : {"bigpage25", "badgbk25"}) {
    SCOPED_TRACE(keyword);
    const auto run = this->run(kEngine, keyword);
    EXPECT_EQ(run->log, start_line("25 ", 3) + progress(kEngine, 1, 2) + done_line());
    EXPECT_EQ(run->rows(), 26);
  }
}

TEST_F(Engine3, AwkwardKeywordsGoIntoThePathAsTyped) {
  // A space, CR LF and Chinese text reach the site; "/" is part of the path
  // the site reads; "?" and "#" cut the path short, so the site has no such
  // page.
  const struct {
    std::string keyword;
    bool found;
  } cases[] = {
      {"a b25", true},  {gbk("中文 电影25"), true}, {"a/b25", true},    {"a%zz25", true},
      {"a?b25", false}, {"a#b25", false},           {"a\r\nb25", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword);
    if (c.found) {
      EXPECT_EQ(run->log, start_line("25 ", 3) + progress(kEngine, 1, 2) + done_line());
      EXPECT_EQ(run->rows(), 26);
    } else {
      // Whatever the site makes of it, the search ends on an empty title.
      EXPECT_EQ(run->log.rfind(done_line()), run->log.size() - done_line().size());
    }
    EXPECT_EQ(run->enables, 0);
  }
}

}  // namespace
}  // namespace trovix::testing
