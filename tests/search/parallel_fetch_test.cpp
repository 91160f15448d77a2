// Every engine with several requests in flight against the simulator: the
// rows, the log and the Search-button calls are byte for byte those of the
// one-at-a-time loop, the requests are the same set, and Pause and a
// superseded search still end it at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "search/fetch_pool.h"
#include "web/text_ops.h"

namespace trovix::testing {
namespace {

class ParallelFetch : public EngineTest {
 protected:
  void TearDown() override {
    set_latency(0, false);
    addresses_.parallel_requests = kDefaultParallelRequests;
  }

  static void set_latency(int ms, bool vary) {
    WebRequest(sim_->http_base() + "/sim/latency?ms=" + std::to_string(ms) +
               (vary ? "&vary=1" : ""));
  }

  // The requests the simulator received since the last call, sorted.
  static std::vector<std::string> take_requests() {
    const std::string text = WebRequest(sim_->http_base() + "/sim/requests");
    WebRequest(sim_->http_base() + "/sim/requests/clear");
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      lines.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 1;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  struct Outcome {
    std::unique_ptr<EngineRun> run;
    std::vector<std::string> requests;
  };

  static Outcome run_with(int parallel, int engine, const std::string& keyword,
                          const LogHook& hook = {}) {
    addresses_.parallel_requests = parallel;
    take_requests();
    Outcome outcome;
    outcome.run = run(engine, keyword, hook);
    outcome.requests = take_requests();
    return outcome;
  }

  // Everything a user can see of a run: headers, every cell, the log, the
  // Search-button calls.
  static std::string shown(const EngineRun& run) {
    std::string text;
    for (int column = 0; column < run.list.column_count(); ++column)
      text += run.list.header_text(column) + "\t";
    text += "\n";
    for (int row = 0; row < run.rows(); ++row) {
      for (int column = 0; column < run.list.column_count(); ++column)
        text += run.cell(row, column) + "\t";
      text += "\n";
    }
    return text + "LOG\n" + run.log + "ENABLES " + std::to_string(run.enables);
  }
};

struct Case {
  int engine;
  const char* keyword;
};

// The counts and faults the engine tests use, with answers coming back out
// of order (each answer waits 0 to 20 ms, fixed per address) in the parallel
// run. Engine 4 may ask for up to three pages past its end page.
TEST_F(ParallelFetch, RowsLogAndRequestsMatchTheOneAtATimeLoop) {
  const Case cases[] = {
      {1, "t45"},      {1, "t19"},         {1, "k0"},      {1, "nomarker"},    {1, "fixture45"},
      {1, "t5000"},    {1, "cutpage2x99"}, {2, "t45"},     {2, "t39"},         {2, "t100"},
      {2, "k0"},       {2, "fixture60"},   {3, "t25"},     {3, "k30"},         {3, "fixture44"},
      {3, "nopanel9"}, {4, "t23"},         {4, "t0"},      {4, "pnftitle25"},  {4, "fixture12"},
      {5, "k3"},       {5, "k150"},        {5, "nolink3"}, {5, "deadhost3"},   {5, "nomarker"},
      {6, "t25"},      {6, "t9"},          {6, "t45"},     {6, "overcount25"}, {6, "nolink21"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.engine) + " " + c.keyword);
    set_latency(0, false);
    const Outcome one = run_with(1, c.engine, c.keyword);
    set_latency(10, true);
    const Outcome four = run_with(4, c.engine, c.keyword);
    EXPECT_EQ(shown(*four.run), shown(*one.run));
    if (c.engine != 4) {
      EXPECT_EQ(four.requests, one.requests);
      continue;
    }
    // Every request of the one-at-a-time loop, and at most three result
    // pages more.
    std::vector<std::string> extra;
    std::set_difference(four.requests.begin(), four.requests.end(), one.requests.begin(),
                        one.requests.end(), std::back_inserter(extra));
    EXPECT_TRUE(std::includes(four.requests.begin(), four.requests.end(), one.requests.begin(),
                              one.requests.end()));
    EXPECT_LE(extra.size(), 3u);
    for (const std::string& request : extra) EXPECT_TRUE(request.starts_with("GET /e4/search/"));
  }
}

// One slow page behind faster ones, one cut off, one of 10 MB among small
// ones, every answer cut: the same rows and log as one at a time.
TEST_F(ParallelFetch, FaultyPagesAmongSeveralInFlight) {
  const Case cases[] = {
      {1, "slowpage3x99"}, {4, "slowpage3x50"}, {1, "hugepage2x99"}, {4, "hugepage2x50"},
      {2, "cutpage2x99"},  {3, "cutpage2x50"},  {4, "reset25"},      {5, "reset"},
      {6, "reset25"},      {5, "bigpage25"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.engine) + " " + c.keyword);
    const Outcome one = run_with(1, c.engine, c.keyword);
    const Outcome four = run_with(4, c.engine, c.keyword);
    EXPECT_EQ(shown(*four.run), shown(*one.run));
  }
}

// Pause while later pages are still in flight (page 3 stalls for 10 s): the
// page being listed is finished, then the stop line, and the engine returns
// without waiting for the stalled page.
TEST_F(ParallelFetch, PauseEndsAtTheNextPageWithoutWaitingForPagesAhead) {
  const struct {
    int engine;
    const char* keyword;
    std::string stop_line;  // after pages 1 and 2
    int rows;
  } cases[] = {
      {1, "stallpage3x99", pages_loaded_line(2), 40},
      {2, "stallpage3x99", pages_loaded_line(2), 40},
      {3, "stallpage3x50", gbk("<<<本次加载完毕！\r\n"), 20},
      {4, "stallpage3x50", pages_loaded_line(2), 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.engine);
    addresses_.parallel_requests = 4;
    const auto start = std::chrono::steady_clock::now();
    const auto run = this->run(c.engine, c.keyword, pause_on(page_progress_line(c.engine, 2)));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(run->log.ends_with(page_progress_line(c.engine, 2) + c.stop_line)) << run->log;
    EXPECT_EQ(run->rows(), c.rows);
    EXPECT_TRUE(bare_rows(*run).empty());
    EXPECT_EQ(run->enables, 1);
    EXPECT_LT(took, std::chrono::seconds(6));
  }
}

TEST_F(ParallelFetch, PauseDuringACloudDiskPageFinishesItsShares) {
  for (int engine : {5, 6}) {
    SCOPED_TRACE(engine);
    set_latency(5, true);
    addresses_.parallel_requests = 4;
    const auto run = this->run(engine, "k45", pause_on(page_progress_line(engine, 2)));
    EXPECT_TRUE(run->log.ends_with(page_progress_line(engine, 2) + pages_loaded_line(2)));
    ASSERT_EQ(run->rows(), 20);
    EXPECT_EQ(misnumbered_rows(*run), "");
    for (int row = 0; row < 20; ++row) EXPECT_FALSE(run->cell(row, engine == 5 ? 3 : 4).empty());
    EXPECT_EQ(run->enables, 1);
  }
}

// A superseded search abandons its requests on every fetching thread too:
// the stalled page 3 (10 s) does not hold the engine up, and the rest of its
// pages fail at once.
TEST_F(ParallelFetch, FetchingThreadsFollowTheSearchsCancelToken) {
  addresses_.parallel_requests = 4;
  std::stop_source cancel;
  ScopedRequestCancel abandon(cancel.get_token());
  const auto start = std::chrono::steady_clock::now();
  const auto run = this->run(4, "stallpage3x50", [&](std::string_view text, std::stop_source&) {
    if (text == page_progress_line(4, 2)) cancel.request_stop();
  });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
  // Page 3 and every page not fetched before the cancel come back empty: bare
  // rows up to the page limit.
  ASSERT_EQ(run->rows(), 1000);
  const std::vector<int> bare = bare_rows(*run);
  EXPECT_GE(bare.size(), 950u);
  ASSERT_FALSE(bare.empty());
  EXPECT_EQ(bare.front(), 20);
}

// The search thread's request settings reach every fetching thread: the
// observer (the command line's --verbose) sees every request the site got.
TEST_F(ParallelFetch, FetchingThreadsFollowTheSearchsRequestSettings) {
  for (const Case& c : {Case{1, "t45"}, Case{5, "k25"}}) {
    SCOPED_TRACE(c.keyword);
    std::mutex mutex;
    std::vector<std::string> seen;
    RequestSettings settings;
    settings.observer = std::make_shared<const RequestObserver>([&](const RequestRecord& record) {
      std::lock_guard lock(mutex);
      seen.emplace_back(record.url);
    });
    Outcome outcome;
    {
      ScopedRequestSettings scope(std::move(settings));
      outcome = run_with(4, c.engine, c.keyword);
    }
    // take_requests makes requests of its own on this thread: only the
    // engine's are counted.
    const auto engine_requests = std::count_if(
        seen.begin(), seen.end(),
        [](const std::string& url) { return url.find("/sim/") == std::string::npos; });
    EXPECT_EQ(static_cast<std::size_t>(engine_requests), outcome.requests.size());
    EXPECT_GT(engine_requests, 3);
  }
}

// The pool on its own: results come in the order they are taken whatever
// order the jobs finish in, and ending it drops what has not started.
TEST(FetchPool, TakesPagesInOrderAndDropsWhatIsLeftAtTheEnd) {
  std::atomic<int> started{0};
  {
    FetchPool pool(3);
    PagesAhead<int> pages(pool, 3, 50, [&](int page) {
      return [page, &started] {
        ++started;
        std::this_thread::sleep_for(std::chrono::milliseconds((page % 3) * 5));
        return page * 10;
      };
    });
    for (int page = 1; page <= 5; ++page) EXPECT_EQ(pages.take(page), page * 10);
    // Pages 6 and 7 are queued ahead at most.
    EXPECT_LE(started.load(), 7);
  }
  EXPECT_LE(started.load(), 7);
}

}  // namespace
}  // namespace trovix::testing
