// The in-memory results list: missing rows and columns, column moves, and
// writers on several threads at once.
#include "search/results_list.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace trovix {
namespace {

std::vector<std::string> headers(const ResultsList& list) {
  std::vector<std::string> out;
  for (int c = 0; c < list.column_count(); ++c) out.push_back(list.header_text(c));
  return out;
}

std::vector<std::string> row_cells(const ResultsList& list, int row) {
  std::vector<std::string> out;
  for (int c = 0; c < list.column_count(); ++c) out.push_back(list.cell_text(row, c));
  return out;
}

// A four-column list with two filled rows, the second one selected.
class FourColumns : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* title : {"A", "B", "C", "D"}) list.insert_column(99, title, 10);
    list.append_row({"a0", "b0", "c0", "d0"});
    list.append_row({"a1", "b1", "c1", "d1"});
    list.set_cell_image(1, 2, 7);
    list.set_state_image(1, 3);
    list.set_item_value(1, -42);
    list.select_row(1);
  }
  MemoryResultsList list;
};

TEST_F(FourColumns, MissingRowsAndColumnsReadAsNothing) {
  struct Case {
    int row, column;
  };
  for (const Case c :
       {Case{0, 4}, Case{0, 5}, Case{-1, 0}, Case{-1, -1}, Case{2, 0}, Case{0, -1}}) {
    SCOPED_TRACE(testing::Message() << "row " << c.row << " column " << c.column);
    EXPECT_EQ(list.cell_text(c.row, c.column), "");
    EXPECT_EQ(list.cell_image(c.row, c.column), -1);
  }
  for (const int row : {-1, 2, 1000}) {
    EXPECT_EQ(list.state_image(row), -1);
    EXPECT_EQ(list.item_value(row), 0);
  }
  EXPECT_EQ(list.header_text(4), "");
  EXPECT_EQ(list.column_width(-1), 0);

  // Writes to cells that do not exist change nothing and invent no rows.
  list.set_cell_text(0, 4, "x");
  list.set_cell_text(-1, 0, "x");
  list.set_cell_text(2, 0, "x");
  list.set_item_value(5, 1);
  EXPECT_EQ(list.row_count(), 2);
  EXPECT_EQ(row_cells(list, 0), (std::vector<std::string>{"a0", "b0", "c0", "d0"}));
}

TEST_F(FourColumns, ColumnsInsertAndDeleteMoveTheCellsWithThem) {
  list.insert_column(1, "X", 5);  // in the middle: later cells move right
  EXPECT_EQ(headers(list), (std::vector<std::string>{"A", "X", "B", "C", "D"}));
  EXPECT_EQ(row_cells(list, 1), (std::vector<std::string>{"a1", "", "b1", "c1", "d1"}));
  EXPECT_EQ(list.cell_image(1, 3), 7);

  list.insert_column(5, "E", 6);   // at the count: appends
  list.insert_column(50, "F", 7);  // past the count: appends
  EXPECT_EQ(headers(list), (std::vector<std::string>{"A", "X", "B", "C", "D", "E", "F"}));
  EXPECT_EQ(list.column_width(6), 7);

  list.delete_column(0);  // later columns move down by one
  list.delete_column(9);  // no such column: nothing happens
  EXPECT_EQ(headers(list), (std::vector<std::string>{"X", "B", "C", "D", "E", "F"}));
  EXPECT_EQ(row_cells(list, 0), (std::vector<std::string>{"", "b0", "c0", "d0", "", ""}));
  EXPECT_EQ(list.cell_image(1, 2), 7);
}

TEST_F(FourColumns, RowsAppendAndResetWhileColumnsStay) {
  EXPECT_EQ(list.insert_row(), 2);
  EXPECT_EQ(row_cells(list, 2), (std::vector<std::string>{"", "", "", ""}));
  EXPECT_EQ(list.state_image(2), -1);
  EXPECT_EQ(list.item_value(2), 0);
  EXPECT_EQ(list.cell_image(2, 0), -1);

  // Cells past the last column are dropped, missing ones stay empty.
  EXPECT_EQ(list.append_row({"1", "2", "3", "4", "5"}), 3);
  EXPECT_EQ(list.append_row({"only"}), 4);
  EXPECT_EQ(row_cells(list, 3), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(row_cells(list, 4), (std::vector<std::string>{"only", "", "", ""}));

  EXPECT_EQ(list.selected_row(), 1);
  list.select_row(7);
  EXPECT_EQ(list.selected_row(), -1);
  list.select_row(4);
  list.delete_all_rows();
  EXPECT_EQ(list.row_count(), 0);
  EXPECT_EQ(list.selected_row(), -1);
  EXPECT_EQ(list.column_count(), 4);
  EXPECT_EQ(list.insert_row(), 0);
}

// The listener runs after the lock is released: reading the list back from
// inside it must not deadlock, and it sees the change already made.
TEST(MemoryResultsListListener, SeesEachChangeAndMayReadTheListBack) {
  MemoryResultsList list;
  std::vector<std::string> seen;
  list.set_listener([&](ListChange change, int row) {
    seen.push_back(std::to_string(static_cast<int>(change)) + ":" + std::to_string(row) + ":" +
                   std::to_string(list.column_count()) + "/" + std::to_string(list.row_count()));
  });
  list.insert_column(0, "ID", 30);
  list.append_row({"1"});
  list.set_cell_text(0, 0, "2");
  list.set_cell_text(5, 0, "ignored");  // no change, no notice
  list.select_row(0);
  list.ensure_visible(0);
  list.delete_all_rows();
  list.delete_column(0);
  const auto n = [](ListChange c) { return std::to_string(static_cast<int>(c)); };
  EXPECT_EQ(seen, (std::vector<std::string>{
                      n(ListChange::columns) + ":-1:1/0", n(ListChange::rows_appended) + ":0:1/1",
                      n(ListChange::cells) + ":0:1/1", n(ListChange::selection) + ":0:1/1",
                      n(ListChange::ensure_visible) + ":0:1/1",
                      n(ListChange::rows_reset) + ":-1:1/0", n(ListChange::columns) + ":-1:0/0"}));
}

// Writers on several threads, both in one step (append_row) and as an
// insert followed by cell writes, while a reader walks the list: every row
// ends up whole, once, and no cell of one row lands in another.
TEST(MemoryResultsListThreads, ConcurrentWritersKeepEveryRowIntact) {
  MemoryResultsList list;
  list.insert_column(0, "writer", 10);
  list.insert_column(1, "number", 10);
  list.insert_column(2, "check", 10);
  constexpr int kWriters = 4;
  constexpr int kRowsEach = 600;

  std::vector<std::thread> threads;
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&list, w] {
      for (int i = 0; i < kRowsEach; ++i) {
        const std::string writer = std::to_string(w), number = std::to_string(i);
        if (i % 2 == 0) {
          list.append_row({writer, number, writer + "/" + number});
        } else {
          const int row = list.insert_row();
          list.set_cell_text(row, 0, writer);
          list.set_cell_text(row, 1, number);
          list.set_cell_text(row, 2, writer + "/" + number);
        }
      }
    });
  }
  std::thread reader([&list] {
    for (int k = 0; k < 2000; ++k) {
      const int rows = list.row_count();
      (void)list.cell_text(rows - 1, 2);
      (void)list.cell_text(k % (rows + 1), 1);
    }
  });
  for (auto& t : threads) t.join();
  reader.join();

  ASSERT_EQ(list.row_count(), kWriters * kRowsEach);
  std::set<std::string> seen;
  for (int r = 0; r < list.row_count(); ++r) {
    const std::string writer = list.cell_text(r, 0), number = list.cell_text(r, 1);
    ASSERT_EQ(list.cell_text(r, 2), writer + "/" + number) << "row " << r;
    ASSERT_TRUE(seen.insert(writer + "/" + number).second) << "twice: " << writer << "/" << number;
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kWriters * kRowsEach));
}

}  // namespace
}  // namespace trovix
