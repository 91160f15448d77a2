// 种子引擎4 end to end: pages by keyword and number until the site's "Page not
// found" page, against the simulated site.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_fixture.h"

namespace trovix::testing {
namespace {

constexpr int kEngine = 4;

class Engine4 : public EngineTest {
 protected:
  static std::string start_line() { return gbk("<<<4号种子引擎已启动,正在加载~\r\n"); }
};

TEST_F(Engine4, PagesUntilTheSiteSaysPageNotFound) {
  const struct {
    const char* keyword;
    int listed;  // pages listed before the missing one
    int filled;  // rows with a hit
  } cases[] = {
      {"t23", 3, 23},
      {"t30", 3, 30},
      {"t0", 0, 0},
      // A title on page 2 mentions the phrase: that page ends the search.
      {"pnftitle25", 1, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword);
    // The closing line counts the missing page too.
    EXPECT_EQ(run->log,
              start_line() + progress(kEngine, 1, c.listed) + pages_loaded_line(c.listed + 1));
    EXPECT_EQ(run->enables, 0);
    ASSERT_EQ(run->rows(), c.listed * 10);
    EXPECT_EQ(misnumbered_rows(*run), "");
    const std::vector<int> bare = bare_rows(*run);
    EXPECT_EQ(bare.size(), static_cast<std::size_t>(c.listed * 10 - c.filled));
    if (!bare.empty()) {
      EXPECT_EQ(bare.front(), c.filled);
    }
  }
}

TEST_F(Engine4, RowsCarryTheHitsFacts) {
  const auto run = this->run(kEngine, "fixture12");
  ASSERT_EQ(run->rows(), 20);
  // Only the closing tag goes, in any letter case.
  EXPECT_EQ(run->cell(0, 1), "<span>Foo Bar");
  for (int row : {1, 11}) {
    SCOPED_TRACE(row);
    EXPECT_NE(run->cell(row, 1).find("fixture12"), std::string::npos) << run->cell(row, 1);
    EXPECT_EQ(run->cell(row, 1).find('<'), std::string::npos);
    EXPECT_EQ(run->cell(row, 2).size(), 10u);
    EXPECT_FALSE(run->cell(row, 3).empty());
    EXPECT_FALSE(run->cell(row, 4).empty());
    EXPECT_EQ(run->cell(row, 5).rfind("magnet:?xt=urn:btih:", 0), 0u);
  }
}

TEST_F(Engine4, PauseDuringPageFiveListsThatPageFirst) {
  const auto run = this->run(kEngine, "t100", pause_on(page_progress_line(kEngine, 5)));
  EXPECT_EQ(run->log, start_line() + progress(kEngine, 1, 5) + pages_loaded_line(5));
  EXPECT_EQ(run->rows(), 50);
  EXPECT_TRUE(bare_rows(*run).empty());
  EXPECT_EQ(run->enables, 1);
}

TEST_F(Engine4, ASiteThatNeverEndsStopsAfterAHundredPages) {
  // Pages without the end phrase, or without any body, are listed as empty
  // rows and the loop goes on to its limit.
  for (const char* keyword : {"nomarker25", "reset25"}) {
    SCOPED_TRACE(keyword);
    const auto run = this->run(kEngine, keyword);
    EXPECT_EQ(run->log, start_line() + progress(kEngine, 1, 100));
    EXPECT_EQ(run->rows(), 1000);
    EXPECT_EQ(bare_rows(*run).size(), 1000u);
    EXPECT_EQ(run->enables, 0);
  }
}

TEST_F(Engine4, DamagedPagesAreReadLikeOthers) {
  for (const char* keyword : {"bigpage25", "badgbk25", "cutpage2x25"}) {
    SCOPED_TRACE(keyword);
    const auto run = this->run(kEngine, keyword);
    EXPECT_EQ(run->log, start_line() + progress(kEngine, 1, 3) + pages_loaded_line(4));
    EXPECT_EQ(run->rows(), 30);
  }
}

TEST_F(Engine4, AwkwardKeywordsGoIntoThePathAsTyped) {
  // A space, CR LF, "#", "/", "%" and Chinese text reach the site; "?" starts
  // the query, so the site never answers with its end page and the search
  // runs to its page limit.
  const struct {
    std::string keyword;
    bool found;
  } cases[] = {
      {"a b25", true}, {"a\r\nb25", true}, {gbk("中文 电影25"), true},
      {"a/b25", true}, {"a%zz25", true},   {"a?b25", false},
      {"a#b25", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword);
    if (c.found) {
      EXPECT_EQ(run->log, start_line() + progress(kEngine, 1, 3) + pages_loaded_line(4));
      EXPECT_EQ(run->rows(), 30);
    } else {
      EXPECT_EQ(run->log, start_line() + progress(kEngine, 1, 100));
    }
    EXPECT_EQ(run->enables, 0);
  }
}

}  // namespace
}  // namespace trovix::testing
