// 种子引擎1 end to end: the POSTed form, the redirect it answers with, and the
// result pages of the search token, against the simulated site.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_fixture.h"

namespace trovix::testing {
namespace {

constexpr int kEngine = 1;

class Engine1 : public EngineTest {
 protected:
  static std::string start_line(const std::string& count, int pages) {
    return gbk("<<<1号种子引擎已启动,正在加载~\r\n<<<本次共检索到：") + count + gbk("条结果，约") +
           std::to_string(pages) + gbk("页，耗时！0.012秒\r\n");
  }
};

struct CountCase {
  const char* keyword;
  int pages;   // page count in the start line
  int loaded;  // result pages fetched and listed
  bool limit;  // ends at the page limit instead of the last pass
};

TEST_F(Engine1, PagesRowsAndClosingLineFollowTheCount) {
  const CountCase cases[] = {
      {"t45", 3, 2, false},
      {"t40", 3, 2, false},
      {"t19", 1, 0, false},
      {"t5000", 251, 100, true},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword);
    const std::string count = std::string(c.keyword).substr(1);
    std::string log = start_line(count, c.pages) + progress(kEngine, 1, c.loaded);
    log += c.limit ? gbk("<<<已达到搜索上限，请更换搜索关键词！\r\n")
                   : all_pages_loaded_line(c.loaded + 1);
    EXPECT_EQ(run->log, log);
    EXPECT_EQ(run->enables, 1);
    ASSERT_EQ(run->rows(), c.loaded * 20);
    EXPECT_EQ(misnumbered_rows(*run), "");
    // Every listed page is full, so every row has its hit.
    EXPECT_TRUE(bare_rows(*run).empty());
  }
}

TEST_F(Engine1, RowsCarryTheHitsFacts) {
  const auto run = this->run(kEngine, "t45");
  ASSERT_EQ(run->rows(), 40);
  for (int row : {0, 19, 20, 39}) {
    SCOPED_TRACE(row);
    const std::string title = run->cell(row, 1);
    EXPECT_NE(title.find("t45"), std::string::npos);
    EXPECT_EQ(title.find('<'), std::string::npos) << title;
    EXPECT_EQ(run->cell(row, 2).size(), 10u);  // 2024-05-17
    EXPECT_FALSE(run->cell(row, 3).empty());
    EXPECT_FALSE(run->cell(row, 4).empty());
    EXPECT_EQ(run->cell(row, 5).rfind("magnet:?xt=urn:btih:", 0), 0u) << run->cell(row, 5);
  }
  // Page 2 lists other hits than page 1.
  EXPECT_NE(run->cell(0, 5), run->cell(20, 5));
}

TEST_F(Engine1, TitleCleanUpRespectsLetterCase) {
  const auto run = this->run(kEngine, "fixture45");
  ASSERT_EQ(run->rows(), 40);
  EXPECT_EQ(run->cell(0, 1), "Foo Bar");
  EXPECT_EQ(run->cell(1, 1), "<B>Up</B> Case");
}

TEST_F(Engine1, KeywordIsPostedWithEveryByteEscaped) {
  // The simulated site shows the form field as it arrived in the first title.
  const struct {
    std::string keyword;
    std::string sent;
  } cases[] = {
      {"echoform ab", "%65%63%68%6F%66%6F%72%6D%20%61%62"},
      {gbk("echoform电影"), "%65%63%68%6F%66%6F%72%6D%E7%94%B5%E5%BD%B1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sent);
    const auto run = this->run(kEngine, c.keyword);
    ASSERT_EQ(run->rows(), 20);
    EXPECT_EQ(run->cell(0, 1), c.sent);
  }
}

TEST_F(Engine1, PauseTakesEffectAfterThePageBeingFetched) {
  // Pause is raised while page 3 is fetched: its rows are still listed. With
  // exactly four pages the last-pass line comes before the stop flag is read.
  const struct {
    const char* keyword;
    int pages;
    std::string closing;
  } cases[] = {
      {"t200", 11, pages_loaded_line(3)},
      {"t60", 4, all_pages_loaded_line(4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword, pause_on(page_progress_line(kEngine, 3)));
    EXPECT_EQ(run->log, start_line(std::string(c.keyword).substr(1), c.pages) +
                            progress(kEngine, 1, 3) + c.closing);
    EXPECT_EQ(run->rows(), 60);
    EXPECT_TRUE(bare_rows(*run).empty());
    EXPECT_EQ(run->enables, 1);
  }
}

TEST_F(Engine1, EndingsWithoutResults) {
  const struct {
    const char* keyword;
    std::string log;
  } cases[] = {
      {"t0", gbk("<<<好像什么都没有找到，换一个搜索引擎试试吧~\r\n")},
      {"nomarker45", gbk("<<<软件和服务器失联啦，请重试！\r\n")},
      {"noredirect45", gbk("<<<软件和服务器失联啦，请重试！\r\n")},
      {"reset45", gbk("<<<软件和服务器失联啦，请重试！\r\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyword);
    const auto run = this->run(kEngine, c.keyword);
    EXPECT_EQ(run->log, c.log);
    EXPECT_EQ(run->rows(), 0);
    EXPECT_EQ(run->enables, 1);
    // The engine's columns are in place whatever the ending.
    EXPECT_EQ(run->list.column_count(), 6);
  }
}

TEST_F(Engine1, UnreachableSiteEndsAsLostConnection) {
  ServiceAddresses saved = addresses_;
  addresses_.engine[0] = "http://127.0.0.1:1/";
  const auto run = this->run(kEngine, "t45");
  addresses_ = saved;
  EXPECT_EQ(run->log, gbk("<<<软件和服务器失联啦，请重试！\r\n"));
  EXPECT_EQ(run->enables, 1);
}

TEST_F(Engine1, DamagedPagesStillGiveFullPagesOfRows) {
  // A page cut half way lists the hits it has; the other rows show only their
  // numbers and the search goes on.
  {
    const auto run = this->run(kEngine, "cutpage2x65");
    EXPECT_EQ(run->log, start_line("65", 4) + progress(kEngine, 1, 3) + all_pages_loaded_line(4));
    ASSERT_EQ(run->rows(), 60);
    const std::vector<int> bare = bare_rows(*run);
    ASSERT_FALSE(bare.empty());
    EXPECT_GE(bare.front(), 20);
    EXPECT_EQ(bare.back(), 39);
    EXPECT_FALSE(run->cell(40, 1).empty());
  }
  // A 10 MB page and a page with invalid GBK bytes in its titles are read as
  // any other page.
  for (const char* keyword : {"bigpage25", "badgbk25"}) {
    SCOPED_TRACE(keyword);
    const auto run = this->run(kEngine, keyword);
    EXPECT_EQ(run->log, start_line("25", 2) + progress(kEngine, 1, 1) + all_pages_loaded_line(2));
    ASSERT_EQ(run->rows(), 20);
    EXPECT_TRUE(bare_rows(*run).empty());
  }
}

TEST_F(Engine1, AwkwardKeywordsReachTheSiteIntact) {
  // Every byte is escaped in the form body, so nothing in the keyword can
  // change the request; the catalogue's count rule still applies.
  for (const std::string& keyword :
       {std::string("a/b?c#d%e f 25"), std::string("x\r\ny25"), gbk("中文 电影25")}) {
    SCOPED_TRACE(keyword);
    const auto run = this->run(kEngine, keyword);
    EXPECT_EQ(run->log, start_line("25", 2) + progress(kEngine, 1, 1) + all_pages_loaded_line(2));
    EXPECT_EQ(run->rows(), 20);
    EXPECT_EQ(run->enables, 1);
  }
}

}  // namespace
}  // namespace trovix::testing
