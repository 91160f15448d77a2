// 种子引擎2 end to end: keyword and page number in the query string, against
// the simulated site.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_fixture.h"

namespace trovix::testing {
namespace {

constexpr int kEngine = 2;

class Engine2 : public EngineTest {
 protected:
  // The site writes its time as "0.012 " (with a space before "秒").
  static std::string start_line(const std::string& count, int pages) {
    return gbk("<<<2号种子引擎已启动,正在加载~\r\n<<<本次共检索到：") + count + gbk("条结果，约") +
           std::to_string(pages) + gbk("页！用时0.012秒\r\n");
  }
};

TEST_F(Engine2, PagesRowsAndClosingLineFollowTheCount) {
  const struct {
    const char* keyword;
    int pages;
    int loaded;
  } cases[] = {
      {"t45", 2, 1},
      {"t39", 1, 0},
      {"t100", 5, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword);
    EXPECT_EQ(run->log, start_line(std::string(c.keyword).substr(1), c.pages) +
                            progress(kEngine, 1, c.loaded) + all_pages_loaded_line(c.pages));
    EXPECT_EQ(run->enables, 1);
    ASSERT_EQ(run->rows(), c.loaded * 20);
    EXPECT_EQ(misnumbered_rows(*run), "");
    EXPECT_TRUE(bare_rows(*run).empty());
  }
}

TEST_F(Engine2, CountBelowTwentyGivesNoPassAndLeavesTheButton) {
  const auto run = this->run(kEngine, "t19");
  EXPECT_EQ(run->log, start_line("19", 0));
  EXPECT_EQ(run->rows(), 0);
  EXPECT_EQ(run->enables, 0);
}

TEST_F(Engine2, RowsCarryTheHitsFacts) {
  const auto run = this->run(kEngine, "fixture45");
  ASSERT_EQ(run->rows(), 20);
  EXPECT_EQ(run->cell(0, 1), "Foo Bar");
  for (int row : {1, 19}) {
    SCOPED_TRACE(row);
    const std::string title = run->cell(row, 1);
    EXPECT_NE(title.find("fixture45"), std::string::npos);
    EXPECT_EQ(title.find('<'), std::string::npos) << title;
    EXPECT_EQ(run->cell(row, 2).size(), 10u);
    EXPECT_FALSE(run->cell(row, 3).empty());
    EXPECT_EQ(run->cell(row, 4).rfind("magnet:?xt=urn:btih:", 0), 0u) << run->cell(row, 4);
  }
}

TEST_F(Engine2, KeywordIsSentAsEscapedUtf8KeepingUnreservedBytes) {
  // The simulated site shows the query value as it arrived in the first title.
  const struct {
    std::string keyword;
    std::string sent;
  } cases[] = {
      {"echoform a b", "echoform%20a%20b"},
      {"echoform-._~/+", "echoform-.%5F%7E%2F%2B"},
      {gbk("echoform电影"), "echoform%E7%94%B5%E5%BD%B1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sent);
    const auto run = this->run(kEngine, c.keyword + "45");
    ASSERT_EQ(run->rows(), 20);
    EXPECT_EQ(run->cell(0, 1), c.sent + "45");
  }
}

TEST_F(Engine2, PauseTakesEffectAtTheNextPass) {
  // The progress line follows the fetch: Pause raised then still lists the
  // page's rows.
  const auto run = this->run(kEngine, "t200", pause_on(page_progress_line(kEngine, 2)));
  EXPECT_EQ(run->log, start_line("200", 10) + progress(kEngine, 1, 2) + pages_loaded_line(2));
  EXPECT_EQ(run->rows(), 40);
  EXPECT_EQ(run->enables, 1);
}

TEST_F(Engine2, EndingsWithoutResults) {
  const struct {
    const char* keyword;
    std::string log;
    int enables;
  } cases[] = {
      // The one line without "<<<".
      {"t0", gbk("好像什么都没有找到，换一个搜索引擎试试吧~\r\n"), 1},
      {"nomarker45", gbk("<<<软件和服务器失联啦，请更换搜索引擎！\r\n"), 0},
      {"reset45", gbk("<<<软件和服务器失联啦，请更换搜索引擎！\r\n"), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword);
    EXPECT_EQ(run->log, c.log);
    EXPECT_EQ(run->rows(), 0);
    EXPECT_EQ(run->enables, c.enables);
    EXPECT_EQ(run->list.column_count(), 5);
  }
}

TEST_F(Engine2, DamagedPagesStillGiveFullPagesOfRows) {
  {
    const auto run = this->run(kEngine, "cutpage2x65");
    EXPECT_EQ(run->log, start_line("65", 3) + progress(kEngine, 1, 2) + all_pages_loaded_line(3));
    ASSERT_EQ(run->rows(), 40);
    const std::vector<int> bare = bare_rows(*run);
    ASSERT_FALSE(bare.empty());
    EXPECT_GE(bare.front(), 20);
    EXPECT_EQ(bare.back(), 39);
  }
  for (const char* keyword : {"bigpage45", "badgbk45"}) {
    SCOPED_TRACE(keyword);
    const auto run = this->run(kEngine, keyword);
    EXPECT_EQ(run->log, start_line("45", 2) + progress(kEngine, 1, 1) + all_pages_loaded_line(2));
    ASSERT_EQ(run->rows(), 20);
    EXPECT_TRUE(bare_rows(*run).empty());
  }
}

TEST_F(Engine2, AwkwardKeywordsReachTheSiteIntact) {
  for (const std::string& keyword :
       {std::string("a/b?c#d%e&p=9 45"), std::string("x\r\ny45"), gbk("中文 电影45")}) {
    SCOPED_TRACE(keyword);
    const auto run = this->run(kEngine, keyword);
    EXPECT_EQ(run->log, start_line("45", 2) + progress(kEngine, 1, 1) + all_pages_loaded_line(2));
    EXPECT_EQ(run->rows(), 20);
    // The keyword box is read for the first page and again for every page.
    EXPECT_EQ(run->keyword_reads, 2);
  }
}

}  // namespace
}  // namespace trovix::testing
