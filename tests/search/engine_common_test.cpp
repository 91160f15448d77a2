// The engines' shared pieces: column sets, numbered rows across pages, the
// page count rule and the shared log lines.
#include "search/engine_common.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/results_list.h"
#include "web/codec.h"

namespace trovix {
namespace {

TEST(EngineColumns, EachEngineInsertsItsOwnSet) {
  const struct {
    int engine;
    std::vector<std::pair<const char*, int>> columns;
    int link_column;
    int rows_per_page;
  } cases[] = {
      {1,
       {{"ID", 30},
        {"标题（右击下载）", 350},
        {"收录时间", 90},
        {"文件大小", 65},
        {"人气值", 65},
        {"磁力链接", 210}},
       5,
       20},
      {2,
       {{"ID", 30},
        {"标题（右击下载）", 400},
        {"收录时间", 90},
        {"文件大小", 70},
        {"磁力链接", 220}},
       4,
       20},
      {3,
       {{"ID", 50},
        {"标题（右击下载）", 400},
        {"收录时间", 90},
        {"文件大小", 90},
        {"下载热度", 90},
        {"磁力链接", 210}},
       5,
       10},
      {4,
       {{"ID", 50},
        {"标题（右击下载）", 400},
        {"收录时间", 75},
        {"文件大小", 75},
        {"下载热度", 90},
        {"磁力链接", 210}},
       5,
       10},
      {5, {{"ID", 30}, {"标题（右击下载）", 300}, {"访问链接", 430}, {"状态", 60}}, 2, 10},
      {6,
       {{"ID", 35}, {"标题（右击下载）", 200}, {"收录时间", 90}, {"访问链接", 427}, {"状态", 60}},
       3,
       10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.engine);
    MemoryResultsList list;
    list.insert_column(0, "old", 10);
    list.append_row({"1", "x"});
    insert_engine_columns(list, c.engine);
    EXPECT_EQ(list.row_count(), 0);
    // The old column is the search command's to remove; the engine's set goes first.
    ASSERT_EQ(list.column_count(), static_cast<int>(c.columns.size()) + 1);
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
      EXPECT_EQ(list.header_text(static_cast<int>(i)), gbk(c.columns[i].first)) << i;
      EXPECT_EQ(list.column_width(static_cast<int>(i)), c.columns[i].second) << i;
    }
    const EngineColumnSet& set = engine_column_set(c.engine);
    EXPECT_EQ(set.link_column, c.link_column);
    EXPECT_EQ(set.rows_per_page, c.rows_per_page);
  }
  EXPECT_TRUE(engine_column_set(0).columns.empty());
  EXPECT_TRUE(engine_column_set(7).columns.empty());
}

TEST(RowWriter, NumbersRowsAcrossPagesAndStopsAtAnEmptyTitleIfAsked) {
  MemoryResultsList list;
  insert_engine_columns(list, 3);
  RowWriter rows(list);
  // A page with fewer matches still adds every row; past the last match the
  // cells are empty and the row shows only its number.
  auto two_hits = [](int j) -> std::vector<std::string> {
    if (j > 2) return {"", "", "", "", "site"};
    return {"title" + std::to_string(j), "t", "s", "h", "site/wiki"};
  };
  EXPECT_TRUE(rows.add_page(10, two_hits));
  ASSERT_EQ(list.row_count(), 10);
  EXPECT_EQ(list.cell_text(9, 0), "10");
  EXPECT_EQ(list.cell_text(9, 1), "");
  // The next page goes on counting; the row without a title is kept, with all
  // its cells, and ends the page.
  EXPECT_FALSE(rows.add_page(10, two_hits, RowWriter::EmptyTitle::stop));
  ASSERT_EQ(list.row_count(), 13);
  EXPECT_EQ(list.cell_text(10, 0), "11");
  EXPECT_EQ(list.cell_text(11, 1), "title2");
  EXPECT_EQ(list.cell_text(12, 0), "13");
  EXPECT_EQ(list.cell_text(12, 5), "site");
  EXPECT_EQ(rows.next_number(), 14);
}

TEST(PageCount, DividesCutsTowardZeroAndReadsLeadingDigits) {
  const struct {
    const char* count;
    double per_page;
    double extra;
    int pages;
  } cases[] = {{"45", 20, 1, 3},  {"40", 20, 1, 3}, {"19", 20, 1, 1},  {"5000", 20, 1, 251},
               {"39", 20, 0, 1},  {"19", 20, 0, 0}, {"25 ", 10, 1, 3}, {"", 10, 1, 1},
               {"abc", 20, 0, 0}, {"7x", 10, 1, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(page_count_of(c.count, c.per_page, c.extra), c.pages) << c.count;
}

TEST(EngineLogLines, SharedTexts) {
  EXPECT_EQ(all_pages_loaded_line(3), gbk("<<<本次搜索内容全部加载完毕，共加载3页内容\r\n"));
  EXPECT_EQ(pages_loaded_line(0), gbk("<<<本次加载完毕，共加载0页内容\r\n"));
  EXPECT_EQ(page_progress_line(1, 12), gbk("<<<1号种子引正在加载12页内容\r\n"));
  EXPECT_EQ(page_progress_line(4, 100), gbk("<<<4号种子引正在加载100页内容\r\n"));
  EXPECT_EQ(page_progress_line(5, 1), gbk("<<<1号网盘引正在加载1页内容\r\n"));
  EXPECT_EQ(page_progress_line(6, 2), gbk("<<<2号网盘引正在加载2页内容\r\n"));
}

}  // namespace
}  // namespace trovix
