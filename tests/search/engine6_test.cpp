// 网盘引擎2 end to end against the simulated share index over HTTPS: the hit
// count from the first page, then a redirect page and a share page per row.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine_fixture.h"
#include "search/engine_common.h"
#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {
namespace {

class Engine6 : public testing::EngineTest {
 protected:
  static std::unique_ptr<testing::EngineRun> run(const std::string& keyword,
                                                 int pause_on_page = 0) {
    return EngineTest::run(
        6, keyword, pause_on_page > 0 ? pause_on(page_progress_line(6, pause_on_page)) : LogHook{});
  }

  // The start lines and the progress lines of `pages` loaded pages.
  static std::string log_of(const std::string& count, int pages) {
    return gbk("<<<2号网盘引擎已启动,正在加载~\r\n<<<本次共检索到：") + count + gbk("条结果\r\n") +
           progress(6, 1, pages);
  }
};

bool looks_like_a_date(const std::string& text) {
  return text.size() == 10 && text[4] == '-' && text[7] == '-';
}

// The last pass loads nothing: 25 hits make three passes, two pages are
// listed and the five hits of page 3 never are. Shares live on the HTTPS
// site; every third one is gone.
TEST_F(Engine6, TwentyFiveHitsListTwoPages) {
  ASSERT_EQ(site(6).rfind("https://", 0), 0u);
  const auto result = run("t25");
  EXPECT_EQ(result->log, log_of("25", 2) + all_pages_loaded_line(3));
  EXPECT_EQ(result->enables, 1);
  ASSERT_EQ(result->list.column_count(), 5);
  ASSERT_EQ(result->list.row_count(), 20);
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(result->cell(i, 0), number_to_text(i + 1));
    EXPECT_NE(find_text(result->cell(i, 1), "t25"), -1);
    EXPECT_TRUE(looks_like_a_date(result->cell(i, 2)));
    EXPECT_EQ(result->cell(i, 3), sim_->https_base() + "/e6/s/743235-" + std::to_string(i));
    EXPECT_EQ(result->cell(i, 4), gbk(i % 3 == 2 ? "无效" : "有效"));
  }
}

TEST_F(Engine6, SmallOrUnreadableCountsLoadNoPage) {
  struct Case {
    std::string keyword;
    std::string logged_count;
  };
  const Case cases[] = {
      {"t9", "9"},       {"t0", "0"},
      {"x1234", "1"},     // the site writes "1,234": the comma ends the number
      {"nomarker", "0"},  // no count on the page
      {"reset", "0"},     // the page breaks off before its count
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto result = run(c.keyword);
    EXPECT_EQ(result->log, log_of(c.logged_count, 0) + all_pages_loaded_line(1));
    EXPECT_EQ(result->enables, 1);
    EXPECT_EQ(result->list.row_count(), 0);
  }
}

TEST_F(Engine6, PauseFinishesThePageBeingLoaded) {
  const auto result = run("t45", 2);
  EXPECT_EQ(result->log, log_of("45", 2) + pages_loaded_line(2));
  EXPECT_EQ(result->enables, 1);
  ASSERT_EQ(result->list.row_count(), 20);
  EXPECT_EQ(result->cell(19, 4), gbk("有效"));
}

// Rows past the page's hits still ask the redirect page (for an empty id),
// which names no share: those shares are invalid, as are shares whose
// redirect page names none. A share that cannot be fetched counts as valid.
TEST_F(Engine6, ShareStatesWhenTheShareCannotBeReached) {
  const auto short_page = run("overcount15");  // says 25 hits, lists 15
  EXPECT_EQ(short_page->log, log_of("25", 2) + all_pages_loaded_line(3));
  ASSERT_EQ(short_page->list.row_count(), 20);
  for (int i = 15; i < 20; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(short_page->cell(i, 0), number_to_text(i + 1));
    for (int column = 1; column <= 3; ++column) EXPECT_EQ(short_page->cell(i, column), "");
    EXPECT_EQ(short_page->cell(i, 4), gbk("无效"));
  }

  const auto unlinked = run("nolink12");
  ASSERT_EQ(unlinked->list.row_count(), 10);
  EXPECT_EQ(unlinked->cell(0, 3), "");
  EXPECT_EQ(unlinked->cell(0, 4), gbk("无效"));

  const auto dead = run("deadhost12");
  ASSERT_EQ(dead->list.row_count(), 10);
  EXPECT_EQ(dead->cell(0, 3).rfind("http://127.0.0.1:1/s/", 0), 0u);
  EXPECT_EQ(dead->cell(0, 4), gbk("有效"));
}

// Big and broken pages and awkward keywords: the count is read and the pages
// before the last are listed as usual.
TEST_F(Engine6, BadPagesAndKeywordsListAsUsual) {
  const std::string keywords[] = {"bigpage",        "badgbk", "a b", "a/b", "a\r\nb",
                                  gbk("中文 资料"), "50%off", "a?b", "a#b"};
  for (const std::string& keyword : keywords) {
    SCOPED_TRACE(keyword);
    const auto result = run(keyword);
    // A "?" or "#" may end the path on its way to the site, which then has no
    // such page: no count, nothing listed.
    if (find_text(keyword, "?") != -1 || find_text(keyword, "#") != -1) {
      if (result->list.row_count() == 0) {
        EXPECT_EQ(result->log, log_of("0", 0) + all_pages_loaded_line(1));
        continue;
      }
    }
    EXPECT_EQ(result->log, log_of("25", 2) + all_pages_loaded_line(3));
    ASSERT_EQ(result->list.row_count(), 20);
    for (int i = 0; i < 20; ++i) {
      EXPECT_NE(result->cell(i, 1), "") << i;
      EXPECT_TRUE(looks_like_a_date(result->cell(i, 2))) << i;
      EXPECT_NE(result->cell(i, 3), "") << i;
    }
  }
}

}  // namespace
}  // namespace trovix
