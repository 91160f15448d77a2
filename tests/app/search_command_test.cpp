// The Search and Pause buttons of the window, run on the built-in test engine
// (five pages of twenty numbered rows; digits in the keyword are a per-page
// delay in milliseconds), so no network is needed.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <mutex>

#include "app/app_fixture.h"
#include "app/results_view.h"
#include "web/codec.h"

namespace trovix::testing {
namespace {

class SearchTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window_->set_test_engine(true);
    window_->show();
    box_ = control<QLineEdit>("编辑框2");
    search_button_ = control<QPushButton>("按钮1");
  }

  void start(const QString& keyword) {
    box_->setText(keyword);
    window_->search();
  }
  bool wait_for_end() {
    return wait_until([this] { return !window_->controller().running(); }) &&
           wait_until([this] { return search_button_->isEnabled(); });
  }
  std::string log() const { return window_->work_log().text(); }

  QLineEdit* box_ = nullptr;
  QPushButton* search_button_ = nullptr;
};

const std::string kConnecting = gbk("<<<连接服务器中，请稍后...\r\n");

TEST_F(SearchTest, PlaceholderOrEmptyKeywordShowsTheMessageAndEmptiesTheBox) {
  for (const QString& keyword : {QStringLiteral("（请输入关键词）"), QString()}) {
    MemoryResultsList& list = window_->results();
    for (int c = 0; c < 4; ++c) list.insert_column(c, "col" + std::to_string(c), 50);
    list.append_row({"1", "old"});
    window_->work_log().append("old line\r\n");
    messages_.clear();

    start(keyword);
    window_->flush_views();
    EXPECT_EQ(log(), kConnecting);
    EXPECT_EQ(control<QPlainTextEdit>("编辑框1")->toPlainText(),
              QStringLiteral("<<<连接服务器中，请稍后...\n"));
    EXPECT_EQ(list.row_count(), 0);
    EXPECT_EQ(list.column_count(), 4);
    EXPECT_EQ(window_->results_model()->columnCount(), 4);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages_[0].title, QStringLiteral("信息："));
    EXPECT_EQ(messages_[0].text, QStringLiteral("请先输入搜索内容！"));
    EXPECT_TRUE(box_->text().isEmpty());
    EXPECT_TRUE(search_button_->isEnabled());
    EXPECT_FALSE(window_->controller().running());
    while (list.column_count() > 0) list.delete_column(0);
  }
}

TEST_F(SearchTest, KeywordsThatAreNotThePlaceholderStartASearch) {
  for (const QString& keyword : {QStringLiteral(" "), QStringLiteral("（请输入关键词） ")}) {
    start(keyword);
    EXPECT_FALSE(search_button_->isEnabled());
    ASSERT_TRUE(wait_for_end());
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(window_->results().row_count(), 100);
    EXPECT_EQ(window_->results_model()->rowCount(), 100);
    EXPECT_EQ(window_->results_model()->index(99, 1).data().toString(),
              QStringLiteral("测试结果 100"));
    EXPECT_EQ(box_->text(), keyword);
  }
}

TEST_F(SearchTest, OldColumnsAreDeletedFromTheLastToTheFirst) {
  MemoryResultsList& list = window_->results();
  for (const char* title : {"A", "B", "C", "D"}) list.insert_column(list.column_count(), title, 40);
  std::mutex mutex;
  std::vector<std::string> headers_after_each_change;
  window_->set_list_observer([&](ListChange change, int) {
    if (change != ListChange::columns) return;
    std::string headers;
    for (int c = 0; c < list.column_count(); ++c) headers += list.header_text(c) + "|";
    std::lock_guard lock(mutex);
    headers_after_each_change.push_back(headers);
  });
  start(QStringLiteral("columns"));
  ASSERT_TRUE(wait_for_end());
  window_->set_list_observer({});
  std::lock_guard lock(mutex);
  ASSERT_GE(headers_after_each_change.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(headers_after_each_change.begin(),
                                     headers_after_each_change.begin() + 4),
            (std::vector<std::string>{"A|B|C|", "A|B|", "A|", ""}));
  // The engine's own columns and widths reach the table's header.
  auto* view = control<QTableView>("超级列表框1");
  ASSERT_EQ(view->model()->columnCount(), 2);
  EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal).toString(),
            QStringLiteral("标题（右击下载）"));
  EXPECT_EQ(view->columnWidth(0), 30);
  EXPECT_EQ(view->columnWidth(1), 350);
}

TEST_F(SearchTest, PauseWithoutASearchEnablesSearchAndTheNextSearchRunsToTheEnd) {
  search_button_->setEnabled(false);
  window_->pause();
  EXPECT_TRUE(search_button_->isEnabled());
  start(QStringLiteral("after pause"));
  ASSERT_TRUE(wait_for_end());
  EXPECT_EQ(window_->results().row_count(), 100);
  EXPECT_TRUE(log().ends_with(gbk("<<<本次搜索内容全部加载完毕，共加载5页内容\r\n")));
}

TEST_F(SearchTest, PauseDuringASearchKeepsItsRowsAndTheEngineWritesItsStopLine) {
  start(QStringLiteral("slow 300"));
  MemoryResultsList& list = window_->results();
  ASSERT_TRUE(wait_until([&] { return list.row_count() >= 20; }));
  window_->pause();
  EXPECT_TRUE(search_button_->isEnabled());  // at once, before the engine stops
  ASSERT_TRUE(wait_for_end());

  const int rows = list.row_count();
  EXPECT_GE(rows, 20);
  EXPECT_LT(rows, 100);
  EXPECT_EQ(rows % 20, 0);
  EXPECT_TRUE(log().ends_with(gbk("<<<本次加载完毕，共加载") + std::to_string(rows / 20) +
                              gbk("页内容\r\n")))
      << gbk_to_utf8(log());
  window_->flush_views();
  EXPECT_EQ(window_->results_model()->rowCount(), rows);
  EXPECT_EQ(window_->results_model()->index(rows - 1, 0).data().toString(), QString::number(rows));
}

TEST_F(SearchTest, ASecondSearchNeverInterleavesRowsWithTheFirst) {
  start(QStringLiteral("first 120"));
  ASSERT_TRUE(wait_until([&] { return window_->results().row_count() >= 20; }));
  window_->pause();  // gives the button back, as a user would need to
  start(QStringLiteral("second"));
  ASSERT_TRUE(wait_for_end());
  QTest::qWait(300);  // the first engine's next page would have landed by now

  MemoryResultsList& list = window_->results();
  ASSERT_EQ(list.row_count(), 100);
  for (int row = 0; row < 100; ++row) {
    ASSERT_EQ(list.cell_text(row, 0), std::to_string(row + 1)) << row;
  }
  const std::string text = log();
  EXPECT_EQ(text.find(kConnecting), 0u);
  EXPECT_EQ(text.find(kConnecting, 1), std::string::npos);
  EXPECT_EQ(text.find(gbk("<<<本次加载完毕")), std::string::npos) << gbk_to_utf8(text);
  window_->flush_views();
  EXPECT_EQ(window_->results_model()->rowCount(), 100);
}

TEST_F(SearchTest, ALateButtonRequestOfAnEndedSearchDoesNotEnableSearchDuringANewerOne) {
  start(QStringLiteral("quick"));
  // The engine ends and posts its request; the UI thread has not seen it yet.
  window_->controller().wait();
  start(QStringLiteral("slow 200"));
  EXPECT_FALSE(search_button_->isEnabled());
  QTest::qWait(100);  // delivers the older search's request
  EXPECT_FALSE(search_button_->isEnabled());
  EXPECT_TRUE(window_->controller().running());
  window_->pause();
  ASSERT_TRUE(wait_for_end());
}

TEST_F(SearchTest, HostileKeywordsRunWithoutHarm) {
  QString control_characters;
  for (char16_t c = 1; c < 32; ++c) control_characters += QChar(c);
  const QString keywords[] = {
      QString(10000, QLatin1Char('k')),
      control_characters + QStringLiteral("\x7f"),
      QString(QChar(0xD800)) + QStringLiteral("lone surrogate"),
      QStringLiteral("emoji 😀 and ✓ outside GBK"),
      QString(3000, QChar(0x4E2D)),  // 中 × 3000: 6000 GBK bytes
  };
  for (const QString& keyword : keywords) {
    start(keyword);
    ASSERT_TRUE(wait_for_end());
    EXPECT_EQ(window_->results().row_count(), 100);
    EXPECT_FALSE(window_->keyword_gbk().empty());
  }
}

}  // namespace
}  // namespace trovix::testing
