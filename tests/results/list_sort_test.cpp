// The header-click sort: insertion positions, the order ties come out in, the
// selection mark, what rows carry along, and whole rows kept together while a
// writer adds rows meanwhile.
#include "results/list_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "web/codec.h"

namespace trovix {
namespace {

// A list with the three columns ID, title, time; row i holds its original
// index in columns 0 and 2 so a mixed row would show.
std::unique_ptr<MemoryResultsList> list_of(const std::vector<std::string>& titles) {
  auto owned = std::make_unique<MemoryResultsList>();
  MemoryResultsList& list = *owned;
  list.insert_column(0, "ID", 30);
  list.insert_column(1, gbk("标题（右击下载）"), 300);
  list.insert_column(2, gbk("收录时间"), 90);
  for (std::size_t i = 0; i < titles.size(); ++i)
    list.append_row({std::to_string(i), titles[i], "t" + std::to_string(i)});
  return owned;
}

std::vector<std::string> column(const ResultsList& list, int c) {
  std::vector<std::string> out;
  for (int r = 0; r < list.row_count(); ++r) out.push_back(list.cell_text(r, c));
  return out;
}

TEST(FindInsertPosition, FollowsTheThreeTieRules) {
  const std::vector<std::string> keys{"b", "d", "d", "d", "f"};
  struct Case {
    std::string key;
    int position;
  };
  const Case cases[] = {
      {"a", 1}, {"b", 1},  // equal to the first (last greater): before it
      {"c", 2}, {"d", 4},  // an equal middle key: right after the one the search lands on
      {"e", 5}, {"f", 6},  // equal to the last: after it
      {"g", 6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(find_insert_position(keys, c.key, true), c.position) << c.key;
  EXPECT_EQ(find_insert_position({}, "x", true), 1);
  EXPECT_EQ(find_insert_position({"x"}, "x", true), 2);
}

TEST(SortListRows, OrdersTitlesDescendingByTheirBytes) {
  struct Case {
    const char* what;
    std::vector<std::string> titles;
    std::vector<std::string> ids_after;  // original row of each row afterwards
  };
  const Case cases[] = {
      {"b a c", {"b", "a", "c"}, {"2", "0", "1"}},
      {"a (0x61) above B (0x42)", {"B", "a"}, {"1", "0"}},
      {"b a b: ascending a(1) b(0) b(2), read backwards", {"b", "a", "b"}, {"2", "0", "1"}},
      {"equal titles reversed", {"x", "x", "x"}, {"2", "1", "0"}},
      {"leading blanks ignored for the key", {"  c", "b", " a"}, {"0", "1", "2"}},
      {"GBK bytes compare unsigned", {gbk("中"), "z", gbk("啊")}, {"0", "2", "1"}},
      {"prefix is smaller", {"ab", "a", "abc"}, {"2", "0", "1"}},
  };
  for (const Case& c : cases) {
    auto list_owned = list_of(c.titles);
    MemoryResultsList& list = *list_owned;
    sort_list_rows(list, 1, false, true);
    EXPECT_EQ(column(list, 0), c.ids_after) << c.what;
    for (int r = 0; r < list.row_count(); ++r) {
      // Whole rows move: the time column follows its title, untrimmed text kept.
      const std::size_t original = std::stoul(list.cell_text(r, 0));
      EXPECT_EQ(list.cell_text(r, 1), c.titles[original]) << c.what;
      EXPECT_EQ(list.cell_text(r, 2), "t" + std::to_string(original)) << c.what;
    }
    EXPECT_EQ(list.selected_row(), -1) << "no row selected, none selected after: " << c.what;
  }
}

TEST(SortListRows, AscendingIsTheSamePlacementReadForwards) {
  auto list_owned = list_of({"b", "a", "b"});
  MemoryResultsList& list = *list_owned;
  sort_list_rows(list, 1, true, true);
  EXPECT_EQ(column(list, 0), (std::vector<std::string>{"1", "0", "2"}));
}

TEST(HeaderClickSort, SortsByTitleWhateverHeaderWasClickedAndLogsTwice) {
  // Times in the opposite order of the titles: the result is in title order.
  auto list_owned = list_of({"a", "c", "b"});
  MemoryResultsList& list = *list_owned;
  list.set_cell_text(0, 2, "2024-03");
  list.set_cell_text(1, 2, "2024-01");
  list.set_cell_text(2, 2, "2024-02");
  SearchLog log;
  log.append("before\r\n");
  header_click_sort(list, log);
  EXPECT_EQ(column(list, 1), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(column(list, 2), (std::vector<std::string>{"2024-01", "2024-02", "2024-03"}));
  EXPECT_EQ(log.text(),
            "before\r\n" + gbk("<<<正在进行时间排序，请稍后...\r\n") +
                gbk("<<<按时间排序成功！\r\n<<<温馨提示：点击发布时间表头即可快速排序\r\n"));
}

TEST(SortListRows, CarriesImagesStateImagesAndItemValues) {
  auto list_owned = list_of({"a", "b"});
  MemoryResultsList& list = *list_owned;
  list.set_cell_image(0, 2, 7);
  list.set_state_image(0, 3);
  list.set_item_value(0, 42);
  sort_list_rows(list, 1, false, true);
  EXPECT_EQ(list.cell_text(1, 1), "a");
  EXPECT_EQ(list.cell_image(1, 2), 7);
  EXPECT_EQ(list.state_image(1), 3);
  EXPECT_EQ(list.item_value(1), 42);
  EXPECT_EQ(list.item_value(0), 0);
  // An image of -1 is not written: the destination keeps what it had.
  EXPECT_EQ(list.cell_image(0, 2), 7);
  EXPECT_EQ(list.state_image(0), 3);
}

TEST(SortListRows, TheSelectedRowIsMarkedAndFoundAgain) {
  std::vector<std::string> titles;
  for (char c = 'a'; c <= 'h'; ++c) titles.emplace_back(1, c);
  auto list_owned = list_of(titles);
  MemoryResultsList& list = *list_owned;
  list.select_row(5);  // "f"
  sort_list_rows(list, 1, false, true);
  EXPECT_EQ(list.selected_row(), 2);
  EXPECT_EQ(list.cell_text(2, 1), "f");
  EXPECT_EQ(list.item_value(2), 1);

  // A second sort with another row selected: both are marked, the higher one wins.
  list.select_row(6);             // "b"
  list.set_cell_text(2, 1, "a");  // "f" row now sorts last
  sort_list_rows(list, 1, false, true);
  EXPECT_EQ(list.cell_text(list.selected_row(), 1), "b");
  EXPECT_EQ(list.item_value(list.selected_row()), 1);
  int marked = 0;
  for (int r = 0; r < list.row_count(); ++r) marked += list.item_value(r) == 1 ? 1 : 0;
  EXPECT_EQ(marked, 2) << "the earlier mark stays";
}

TEST(SortListRows, EmptyListsAndListsWithoutColumnsStayUnchanged) {
  MemoryResultsList empty;
  sort_list_rows(empty, 1, false, true);
  EXPECT_EQ(empty.row_count(), 0);
  auto columns_only_owned = list_of({});
  MemoryResultsList& columns_only = *columns_only_owned;
  sort_list_rows(columns_only, 1, false, true);
  EXPECT_EQ(columns_only.row_count(), 0);
  EXPECT_EQ(columns_only.column_count(), 3);
  MemoryResultsList rows_only;
  rows_only.insert_row();
  rows_only.insert_row();
  sort_list_rows(rows_only, 1, false, true);
  EXPECT_EQ(rows_only.row_count(), 2);
}

TEST(SortListRows, RowsAddedMeanwhileAreNeverMixedIntoSortedRows) {
  auto list_owned = list_of({});
  MemoryResultsList& list = *list_owned;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 3000; ++i) {
      const std::string id = std::to_string(i);
      list.append_row({id, "title" + std::to_string(i * 7919 % 1000), "t" + id});
    }
    done = true;
  });
  int sorts = 0;
  while (!done || sorts < 3) {
    sort_list_rows(list, 1, false, true);
    ++sorts;
  }
  writer.join();
  sort_list_rows(list, 1, false, true);
  ASSERT_EQ(list.row_count(), 3000);
  std::vector<bool> seen(3000);
  for (int r = 0; r < list.row_count(); ++r) {
    const std::string id = list.cell_text(r, 0);
    const int i = std::stoi(id);
    ASSERT_EQ(list.cell_text(r, 2), "t" + id) << "row " << r << " mixes two rows";
    ASSERT_EQ(list.cell_text(r, 1), "title" + std::to_string(i * 7919 % 1000));
    seen[static_cast<std::size_t>(i)] = true;
    if (r > 0) {
      EXPECT_GE(list.cell_text(r - 1, 1), list.cell_text(r, 1));
    }
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 3000);
}

TEST(SortListRows, ViewsHearOfTheSortOnceAfterIt) {
  auto list_owned = list_of({"a", "b", "c"});
  MemoryResultsList& list = *list_owned;
  list.select_row(0);
  std::vector<std::pair<ListChange, int>> heard;
  list.set_listener([&](ListChange change, int row) {
    heard.emplace_back(change, row);
    // The listener runs outside the lock: reading back must not deadlock.
    (void)list.cell_text(0, 1);
  });
  sort_list_rows(list, 1, false, true);
  const std::vector<std::pair<ListChange, int>> expected{
      {ListChange::cells, -1}, {ListChange::selection, 2}, {ListChange::ensure_visible, 2}};
  EXPECT_EQ(heard, expected);
}

}  // namespace
}  // namespace trovix
