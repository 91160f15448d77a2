// The search command and the controller behind it, driven with the built-in
// test engine (engine 0: five pages of twenty numbered rows, no network; the
// digits of the keyword are a per-page delay in milliseconds).
#include "search/search_controller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "web/codec.h"

namespace trovix {
namespace {

const std::string kConnecting = gbk("<<<连接服务器中，请稍后...\r\n");
const std::string kAllLoaded = gbk("<<<本次搜索内容全部加载完毕，共加载5页内容\r\n");

std::string progress_line(int page) {
  return gbk("<<<测试引擎正在加载") + std::to_string(page) + gbk("页内容\r\n");
}

// The log of a whole test-engine run without a stop.
std::string full_run_log() {
  std::string log = kConnecting;
  for (int p = 1; p <= 5; ++p) log += progress_line(p);
  return log + kAllLoaded;
}

void expect_rows_numbered_from_one(const ResultsList& list, int rows) {
  ASSERT_EQ(list.row_count(), rows);
  for (int r = 0; r < rows; ++r) {
    ASSERT_EQ(list.cell_text(r, 0), std::to_string(r + 1)) << "row " << r;
    ASSERT_EQ(list.cell_text(r, 1), gbk("测试结果 ") + std::to_string(r + 1)) << "row " << r;
  }
}

class SearchCommandTest : public ::testing::Test {
 protected:
  // The hooks of one search: its own enable counter, so a late call of an
  // older search is told apart from the current one's.
  SearchCommandUi ui(const std::string& keyword, int engine = kTestEngineChoice) {
    auto enabled = std::make_shared<std::atomic<int>>(0);
    enables.push_back(enabled);
    SearchCommandUi u;
    u.keyword_box_text = keyword;
    u.checked_engine = engine;
    u.disable_search_button = [this] { ++disables; };
    u.hooks.keyword = [keyword] { return keyword; };
    u.hooks.enable_search_button = [enabled] { ++*enabled; };
    return u;
  }

  MemoryResultsList list;
  SearchLog log;
  std::vector<std::shared_ptr<std::atomic<int>>> enables;
  std::atomic<int> disables{0};
  std::unique_ptr<SearchController> controller =
      std::make_unique<SearchController>(list, log, default_service_addresses());
};

TEST_F(SearchCommandTest, MissingKeywordStopsAfterEmptyingTheLogAndRows) {
  for (const std::string& keyword : {gbk("（请输入关键词）"), std::string()}) {
    SCOPED_TRACE(gbk_to_utf8(keyword));
    for (const char* title : {"A", "B", "C", "D"}) list.insert_column(9, title, 10);
    list.append_row({"1", "x"});
    log.append("old line\r\n");

    EXPECT_EQ(search_command(*controller, list, log, ui(keyword)),
              SearchCommandResult::keyword_missing);
    EXPECT_EQ(log.text(), kConnecting);
    EXPECT_EQ(list.row_count(), 0);
    EXPECT_EQ(list.column_count(), 4);  // the old columns stay
    EXPECT_EQ(disables, 0);
    EXPECT_FALSE(controller->running());
    for (int c = 3; c >= 0; --c) list.delete_column(c);
  }
}

// No trimming: blanks, a placeholder with a blank after it, a very long
// keyword, control characters and bytes that are not GBK all start a search.
TEST_F(SearchCommandTest, AnyOtherKeywordStartsTheChosenEngine) {
  const std::string cases[] = {" ", gbk("（请输入关键词）") + " ", std::string(10'000, 'k'),
                               "a\tb\r\n\x01z", "\xff\xfe\x81"};
  for (const std::string& keyword : cases) {
    SCOPED_TRACE(keyword.size());
    disables = 0;
    ASSERT_EQ(search_command(*controller, list, log, ui(keyword)), SearchCommandResult::started);
    controller->wait();
    EXPECT_EQ(disables, 1);
    EXPECT_EQ(*enables.back(), 1);  // the ending gives the button back
    EXPECT_EQ(log.text(), full_run_log());
    EXPECT_EQ(list.header_text(0), "ID");
    EXPECT_EQ(list.header_text(1), gbk("标题（右击下载）"));
    EXPECT_EQ(list.column_width(1), 350);
    expect_rows_numbered_from_one(list, 100);
  }
}

// Without a checked engine the command has already removed the columns (last
// first) and disabled Search; it starts nothing and leaves the button alone.
TEST_F(SearchCommandTest, ColumnsGoFromTheLastToTheFirstEvenWithoutAnEngine) {
  for (const char* title : {"A", "B", "C", "D"}) list.insert_column(9, title, 10);
  std::vector<std::string> after_each;
  list.set_listener([&](ListChange change, int) {
    if (change != ListChange::columns) return;
    std::string titles;
    for (int c = 0; c < list.column_count(); ++c) titles += list.header_text(c);
    after_each.push_back(titles);
  });
  EXPECT_EQ(search_command(*controller, list, log, ui("word", 0)), SearchCommandResult::no_engine);
  EXPECT_EQ(after_each, (std::vector<std::string>{"ABC", "AB", "A", ""}));
  EXPECT_EQ(disables, 1);
  EXPECT_EQ(log.text(), kConnecting);
  EXPECT_FALSE(controller->running());

  EXPECT_EQ(search_command(*controller, list, log, ui("word", 7)), SearchCommandResult::no_engine);
  EXPECT_FALSE(controller->start(7, {}));
  EXPECT_FALSE(controller->start(-1, {}));
}

TEST_F(SearchCommandTest, PauseWithoutASearchLeavesTheNextSearchAlone) {
  controller->pause();
  controller->pause();
  EXPECT_FALSE(controller->running());
  ASSERT_EQ(search_command(*controller, list, log, ui("word")), SearchCommandResult::started);
  controller->wait();
  EXPECT_EQ(log.text(), full_run_log());
  expect_rows_numbered_from_one(list, 100);
}

// Pause raised while page 2 is being fetched: page 2's rows still arrive, the
// engine writes its stop line at the next pass, and every row stays.
TEST_F(SearchCommandTest, PauseMidSearchKeepsTheRowsAndWritesTheStopLine) {
  const std::string page2 = progress_line(2);
  log.set_listener([&](bool) {
    if (log.text().ends_with(page2)) controller->pause();
  });
  ASSERT_EQ(search_command(*controller, list, log, ui("delay 20")), SearchCommandResult::started);
  controller->wait();
  EXPECT_EQ(log.text(),
            kConnecting + progress_line(1) + page2 + gbk("<<<本次加载完毕，共加载2页内容\r\n"));
  expect_rows_numbered_from_one(list, 40);
  EXPECT_EQ(*enables.back(), 1);
  EXPECT_FALSE(controller->running());
}

// A second search while the first is still loading: the first one's later
// rows, lines (its stop line among them) and its button call never land.
TEST_F(SearchCommandTest, ANewSearchSupersedesTheRunningOne) {
  ASSERT_EQ(search_command(*controller, list, log, ui("slow 40")), SearchCommandResult::started);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (list.row_count() < 20 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_GE(list.row_count(), 20);

  ASSERT_EQ(search_command(*controller, list, log, ui("fast")), SearchCommandResult::started);
  controller->wait();
  const std::string second_log = log.text();
  const int second_rows = list.row_count();

  // Give the first search every chance to write late, then join it.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  controller.reset();

  EXPECT_EQ(second_log, full_run_log());
  EXPECT_EQ(log.text(), second_log);
  EXPECT_EQ(second_rows, 100);
  expect_rows_numbered_from_one(list, 100);
  EXPECT_EQ(*enables[0], 0);
  EXPECT_EQ(*enables[1], 1);
}

// A list that holds the first column a worker thread inserts until the
// test thread reads the column count (or 300 ms have passed): the moment an
// old search's columns arrive between the new command's count and its
// deletions.
class ColumnRaceList final : public ResultsList {
 public:
  explicit ColumnRaceList(MemoryResultsList& inner) : inner_(inner) {}

  bool worker_held() const {
    std::lock_guard lock(mutex_);
    return held_;
  }

  void insert_column(int index, std::string_view title, int width) override {
    if (std::this_thread::get_id() != test_thread_) {
      std::unique_lock lock(mutex_);
      if (!used_) {
        used_ = true;
        held_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::milliseconds(300), [&] { return released_; });
        held_ = false;
      }
    }
    inner_.insert_column(index, title, width);
  }
  int column_count() const override {
    const int count = inner_.column_count();
    std::lock_guard lock(mutex_);
    if (held_ && std::this_thread::get_id() == test_thread_) {
      released_ = true;
      changed_.notify_all();
    }
    return count;
  }
  void delete_column(int index) override { inner_.delete_column(index); }
  std::string header_text(int column) const override { return inner_.header_text(column); }
  int column_width(int column) const override { return inner_.column_width(column); }
  int insert_row() override { return inner_.insert_row(); }
  void delete_all_rows() override { inner_.delete_all_rows(); }
  int row_count() const override { return inner_.row_count(); }
  std::string cell_text(int row, int column) const override {
    return inner_.cell_text(row, column);
  }
  void set_cell_text(int row, int column, std::string_view text) override {
    inner_.set_cell_text(row, column, text);
  }
  int cell_image(int row, int column) const override { return inner_.cell_image(row, column); }
  void set_cell_image(int row, int column, int image) override {
    inner_.set_cell_image(row, column, image);
  }
  int state_image(int row) const override { return inner_.state_image(row); }
  void set_state_image(int row, int image) override { inner_.set_state_image(row, image); }
  std::int32_t item_value(int row) const override { return inner_.item_value(row); }
  void set_item_value(int row, std::int32_t value) override { inner_.set_item_value(row, value); }
  int selected_row() const override { return inner_.selected_row(); }
  void select_row(int row) override { inner_.select_row(row); }
  void ensure_visible(int row) override { inner_.ensure_visible(row); }
  int append_row(const std::vector<std::string>& cells) override {
    return inner_.append_row(cells);
  }

 private:
  MemoryResultsList& inner_;
  const std::thread::id test_thread_ = std::this_thread::get_id();
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool used_ = false;
  bool held_ = false;
  mutable bool released_ = false;
};

// The old search inserts a column just as a new command starts: the command
// supersedes it before counting, so that column is counted and deleted, and
// the new search shows its own two columns only.
TEST(SearchCommandRace, ColumnsOfASupersededSearchNeverStayBehind) {
  MemoryResultsList inner;
  ColumnRaceList list(inner);
  SearchLog log;
  SearchController controller(list, log, default_service_addresses());
  SearchCommandUi ui;
  ui.keyword_box_text = "slow 1000";
  ui.checked_engine = kTestEngineChoice;
  ui.hooks.keyword = [] { return std::string("slow 1000"); };
  ASSERT_EQ(search_command(controller, list, log, ui), SearchCommandResult::started);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!list.worker_held() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(list.worker_held());

  ui.keyword_box_text = "fast";
  ui.hooks.keyword = [] { return std::string("fast"); };
  ASSERT_EQ(search_command(controller, list, log, ui), SearchCommandResult::started);
  controller.wait();
  ASSERT_EQ(inner.column_count(), 2);
  EXPECT_EQ(inner.header_text(0), "ID");
  EXPECT_EQ(inner.header_text(1), gbk("标题（右击下载）"));
  EXPECT_EQ(inner.row_count(), 100);
}

// supersede() alone (what a closing window does): from its return nothing of
// the old search arrives, even from a search waiting ten seconds per page,
// and the controller's destructor does not wait those seconds out.
TEST_F(SearchCommandTest, SupersedeSilencesTheSearchAtOnce) {
  std::atomic<bool> page1{false};
  log.set_listener([&](bool) {
    if (log.text().ends_with(progress_line(1))) page1 = true;
  });
  ASSERT_EQ(search_command(*controller, list, log, ui("10000")), SearchCommandResult::started);
  while (!page1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  controller->supersede();
  const std::string log_then = log.text();
  const int rows_then = list.row_count();
  EXPECT_FALSE(controller->running());

  controller.reset();
  EXPECT_EQ(log.text(), log_then);
  EXPECT_EQ(list.row_count(), rows_then);
  EXPECT_EQ(*enables[0], 0);
}

}  // namespace
}  // namespace trovix
