// 网盘引擎1 end to end against the simulated share index: result pages by
// POST, a detail page and a share page per hit, up to ten pages.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "search/engine_common.h"
#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {
namespace {

class Engine5 : public testing::EngineTest {
 protected:
  static std::unique_ptr<testing::EngineRun> run(const std::string& keyword,
                                                 int pause_on_page = 0) {
    return EngineTest::run(
        5, keyword, pause_on_page > 0 ? pause_on(page_progress_line(5, pause_on_page)) : LogHook{});
  }

  // The log of a search that loaded `pages` pages and ended on an empty title
  // (or, with `ended` false, after its tenth page).
  static std::string log_of(int pages, bool ended = true) {
    return gbk("<<<1号网盘引擎已启动,正在加载~\r\n") + progress(5, 1, pages) +
           (ended ? gbk("<<<1号网盘加载完成！\r\n") : "");
  }

  // Hit i's share address on the simulator: hex of the UTF-8 keyword, "-", i.
  static std::string share_of(const std::string& keyword_hex, int index) {
    return sim_->http_base() + "/e5/s/" + keyword_hex + "-" + std::to_string(index);
  }
};

// Every listed hit has a clean title holding the keyword, its share address
// and the share's state (every third share on the simulator is gone); the row
// after the last hit holds only its number and ends the search.
void expect_hits(const testing::EngineRun& run, int hits, const std::string& keyword,
                 const std::function<std::string(int)>& share_of) {
  ASSERT_EQ(run.list.row_count(), hits + 1);
  for (int i = 0; i < hits; ++i) {
    SCOPED_TRACE(i);
    const std::string title = run.cell(i, 1);
    EXPECT_EQ(run.cell(i, 0), number_to_text(i + 1));
    EXPECT_NE(find_text(title, keyword), -1);
    EXPECT_EQ(find_text(title, "<b>", 1, true), -1);
    EXPECT_EQ(find_text(title, "</b>", 1, true), -1);
    EXPECT_EQ(run.cell(i, 2), share_of(i));
    EXPECT_EQ(run.cell(i, 3), gbk(i % 3 == 2 ? "无效" : "有效"));
  }
  const std::vector<std::string> last = {number_to_text(hits + 1), "", "", ""};
  for (int column = 0; column < 4; ++column) EXPECT_EQ(run.cell(hits, column), last[column]);
}

TEST_F(Engine5, PageOfThreeHitsEndsAtTheFirstEmptyTitle) {
  const auto result = run("k3");
  ASSERT_EQ(result->list.column_count(), 4);
  EXPECT_EQ(result->list.header_text(2), gbk("访问链接"));
  EXPECT_EQ(result->list.header_text(3), gbk("状态"));
  expect_hits(*result, 3, "k3", [](int i) { return share_of("6b33", i); });
  EXPECT_EQ(result->log, log_of(1));
  EXPECT_EQ(result->enables, 0);
}

// Three pages: the six gone-share notices all appear among hits 2, 5, … 17,
// and the site highlights the keyword with <b> and <B> in turn.
TEST_F(Engine5, ChecksEveryShareAcrossPages) {
  const auto result = run(gbk("文档25"));
  expect_hits(*result, 25, gbk("文档25"), [](int i) { return share_of("e69687e6a1a33235", i); });
  EXPECT_EQ(result->log, log_of(3));
  EXPECT_EQ(result->enables, 0);
}

TEST_F(Engine5, TenFullPagesEndSilently) {
  const auto result = run("k150");
  ASSERT_EQ(result->list.row_count(), 100);
  EXPECT_EQ(result->cell(99, 0), "100");
  EXPECT_EQ(result->cell(99, 2), share_of("6b313530", 99));
  EXPECT_EQ(result->log, log_of(10, false));
  EXPECT_EQ(result->enables, 0);
}

TEST_F(Engine5, PauseFinishesThePageBeingLoaded) {
  const auto result = run("k45", 2);
  EXPECT_EQ(result->list.row_count(), 20);
  EXPECT_EQ(result->cell(19, 3), gbk("有效"));
  EXPECT_EQ(result->log, log_of(2, false) + pages_loaded_line(2));
  EXPECT_EQ(result->enables, 1);
}

// A detail page without the download button gives no share address: such a
// share is invalid, never valid. A share page that cannot be fetched shows no
// notice and so counts as valid.
TEST_F(Engine5, ShareStatesWhenTheShareCannotBeReached) {
  const auto unlinked = run("nolink3");
  ASSERT_EQ(unlinked->list.row_count(), 4);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(unlinked->cell(i, 2), "");
    EXPECT_EQ(unlinked->cell(i, 3), gbk("无效"));
  }
  const auto dead = run("deadhost3");
  ASSERT_EQ(dead->list.row_count(), 4);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(dead->cell(i, 2).rfind("http://127.0.0.1:1/s/", 0), 0u);
    EXPECT_EQ(dead->cell(i, 3), gbk("有效"));
  }
}

// Bad pages and awkward keywords: the search ends the way the engine always
// ends, on its first empty title, with every other row filled.
TEST_F(Engine5, BadPagesAndKeywordsEndOnAnEmptyTitle) {
  struct Case {
    std::string keyword;  // GBK
    int pages;            // pages loaded; -1: the site may or may not see the whole keyword
  };
  const Case cases[] = {
      {"nomarker", 1}, {"reset", 1}, {"bigpage", 3}, {"badgbk", 3},
      {"a b", 3},      {"a/b", 3},   {"a\r\nb", 3},  {gbk("中文 资料"), 3},
      {"50%off", 3},   {"a%41b", 3}, {"a?b", -1},    {"a#b", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto result = run(c.keyword);
    const int pages = c.pages >= 0 ? c.pages : (result->list.row_count() == 1 ? 1 : 3);
    EXPECT_EQ(result->log, log_of(pages));
    EXPECT_EQ(result->enables, 0);
    const int rows = pages == 1 ? 1 : 26;
    ASSERT_EQ(result->list.row_count(), rows);
    for (int i = 0; i + 1 < rows; ++i) {
      EXPECT_NE(result->cell(i, 1), "") << i;
      EXPECT_NE(result->cell(i, 2), "") << i;
    }
    EXPECT_EQ(result->cell(rows - 1, 1), "");
  }
}

}  // namespace
}  // namespace trovix
