// The table and the log box as mirrors of their stores: writes from other
// threads reach the widgets through coalesced catch-ups on the UI thread.
#include "app/results_view.h"

#include <QPlainTextEdit>
#include <QTableView>
#include <thread>

#include "app/app_fixture.h"
#include "app/log_view.h"
#include "web/codec.h"

namespace trovix::testing {
namespace {

class TableMirrorTest : public ::testing::Test {
 protected:
  TableMirrorTest() {
    view_.resize(600, 300);
    model_ = new ResultsModel(store_, &view_);
    new ResultsViewBinding(store_, model_, &view_);
    store_.set_listener([this](ListChange change, int row) { model_->note_change(change, row); });
    view_.show();
  }
  ~TableMirrorTest() override { store_.set_listener({}); }

  void fill(int rows, const std::string& prefix) {
    for (int r = 0; r < rows; ++r)
      store_.append_row({std::to_string(r + 1), prefix + std::to_string(r + 1)});
  }
  bool caught_up() {
    return QTest::qWaitFor([&] {
      return model_->rowCount() == store_.row_count() &&
             model_->columnCount() == store_.column_count();
    });
  }
  QString shown(int row, int column) { return model_->index(row, column).data().toString(); }

  MemoryResultsList store_;
  QTableView view_;
  ResultsModel* model_ = nullptr;
};

TEST_F(TableMirrorTest, RowsWrittenByAWorkerReachTheTableWithTheirColumnsAndWidths) {
  std::thread worker([&] {
    store_.insert_column(0, "ID", 30);
    store_.insert_column(1, gbk("标题（右击下载）"), 350);
    for (int r = 0; r < 500; ++r) {
      const int row = store_.insert_row();
      store_.set_cell_text(row, 0, std::to_string(row + 1));
      store_.set_cell_text(row, 1, gbk("第") + std::to_string(row + 1));
    }
  });
  worker.join();
  ASSERT_TRUE(caught_up());
  EXPECT_EQ(model_->rowCount(), 500);
  EXPECT_EQ(model_->headerData(1, Qt::Horizontal).toString(), QStringLiteral("标题（右击下载）"));
  EXPECT_EQ(shown(499, 1), QStringLiteral("第500"));
  EXPECT_EQ(view_.columnWidth(0), 30);
  EXPECT_EQ(view_.columnWidth(1), 350);
  EXPECT_FALSE(view_.isSortingEnabled());
}

TEST_F(TableMirrorTest, AResetBetweenCatchUpsIsNotMistakenForUnchangedRows) {
  store_.insert_column(0, "ID", 30);
  store_.insert_column(1, "T", 100);
  fill(10, "old ");
  ASSERT_TRUE(caught_up());
  view_.selectRow(5);
  ASSERT_EQ(store_.selected_row(), 5);
  QTest::qWait(20);
  // Same count again, other content, all before the UI thread looks: the
  // view must still learn that its rows (and the selection on them) are gone.
  store_.delete_all_rows();
  fill(10, "new ");
  QTest::qWait(20);
  EXPECT_EQ(shown(9, 1), QStringLiteral("new 10"));
  EXPECT_FALSE(view_.selectionModel()->hasSelection());
  EXPECT_EQ(store_.selected_row(), -1);
  // Fewer rows than shown.
  store_.delete_all_rows();
  fill(3, "few ");
  ASSERT_TRUE(caught_up());
  EXPECT_EQ(model_->rowCount(), 3);
}

TEST_F(TableMirrorTest, CellsThatVanishedBeforeTheCatchUpReadEmpty) {
  store_.insert_column(0, "ID", 30);
  fill(10, "x");
  ASSERT_TRUE(caught_up());
  store_.delete_all_rows();
  store_.delete_column(0);
  // The model still shows ten rows and one column until it catches up.
  ASSERT_EQ(model_->rowCount(), 10);
  EXPECT_TRUE(shown(5, 0).isEmpty());
  EXPECT_TRUE(model_->headerData(0, Qt::Horizontal).toString().isEmpty());
  ASSERT_TRUE(caught_up());
  EXPECT_EQ(model_->rowCount(), 0);
}

TEST_F(TableMirrorTest, SelectionFollowsTheListBothWaysAndEnsureVisibleScrolls) {
  store_.insert_column(0, "ID", 30);
  fill(200, "r");
  ASSERT_TRUE(caught_up());

  store_.select_row(3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view_.selectionModel()->isRowSelected(3, {}); }));
  view_.selectRow(7);  // the user's choice is what the result actions read
  EXPECT_EQ(store_.selected_row(), 7);
  view_.clearSelection();
  EXPECT_EQ(store_.selected_row(), -1);

  const auto row_visible = [&](int row) {
    return view_.viewport()->rect().intersects(view_.visualRect(model_->index(row, 0)));
  };
  ASSERT_FALSE(row_visible(180));
  store_.ensure_visible(180);
  EXPECT_TRUE(QTest::qWaitFor([&] { return row_visible(180); }));
}

TEST(LogMirrorTest, AppendsOnlyNewTextAndStartsOverAfterAClear) {
  SearchLog log;
  log.append(gbk("<<<第一行\r\n"));
  QPlainTextEdit box;
  auto* mirror = new LogMirror(log, &box);
  log.set_listener([mirror](bool) { mirror->note_change(); });
  EXPECT_EQ(box.toPlainText(), QStringLiteral("<<<第一行\n"));

  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) log.append("<<<" + std::to_string(i) + "\r\n");
  });
  worker.join();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return box.toPlainText().endsWith(QStringLiteral("<<<49\n")); }));
  EXPECT_EQ(box.toPlainText().count(QLatin1Char('\n')), 51);
  EXPECT_EQ(box.textCursor().position(), box.toPlainText().size());  // caret at the end

  // Cleared and refilled to a longer text before the box looks: only the new text shows.
  log.clear();
  log.append(gbk("<<<连接服务器中，请稍后...\r\n") + std::string(2000, 'z') + "\r\n");
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return box.toPlainText().startsWith(QStringLiteral("<<<连接")); }));
  EXPECT_EQ(box.toPlainText().size(), 17 + 2000 + 1);
  log.set_listener({});
}

TEST(LogMirrorTest, InvalidGbkBytesDoNotStopTheLog) {
  SearchLog log;
  QPlainTextEdit box;
  auto* mirror = new LogMirror(log, &box);
  log.set_listener([mirror](bool) { mirror->note_change(); });
  log.append(std::string("<<<\x81\x20\xff\xff bad\r\n", 12));
  log.append("<<<after\r\n");
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return box.toPlainText().endsWith(QStringLiteral("<<<after\n")); }));
  log.set_listener({});
}

}  // namespace
}  // namespace trovix::testing
