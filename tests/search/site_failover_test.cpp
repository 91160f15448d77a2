// Failover over an engine's mirror list, against the site simulator: a first
// address that refuses, answers 503 or redirects to a dead host leaves the
// search running on the second with the rows and log of a search on it alone.
#include "search/site_failover.h"

#include <algorithm>

#include "engine_fixture.h"
#include "web/request_settings.h"

namespace trovix::testing {
namespace {

class SiteFailover : public EngineTest {
 protected:
  void SetUp() override {
    forget_working_sites();
    saved_ = addresses_;
  }
  void TearDown() override {
    addresses_ = saved_;
    forget_working_sites();
  }

  // Engine `engine`'s list: `first` in front of the simulator's own site.
  static void use_list(int engine, const std::vector<std::string>& sites) {
    addresses_.engine[static_cast<std::size_t>(engine - 1)] = sites.front();
    addresses_.engine_mirrors[static_cast<std::size_t>(engine - 1)].assign(sites.begin() + 1,
                                                                           sites.end());
  }

  // A dead address in the simulator's shape for the engine (with or without
  // the trailing "/" the engine joins paths after).
  static std::string shaped(int engine, const std::string& base) {
    return base + "/e" + std::to_string(engine) +
           ((engine == 1 || engine == 2 || engine == 4) ? "/" : "");
  }

  static std::vector<std::string> take_requests() {
    const std::string text = WebRequest(sim_->http_base() + "/sim/requests");
    WebRequest(sim_->http_base() + "/sim/requests/clear");
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      lines.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
  }

  static std::vector<std::vector<std::string>> cells(const EngineRun& run) {
    std::vector<std::vector<std::string>> all;
    for (int row = 0; row < run.rows(); ++row) {
      all.emplace_back();
      for (int column = 0; column < run.list.column_count(); ++column)
        all.back().push_back(run.cell(row, column));
    }
    return all;
  }

  ServiceAddresses saved_;
};

TEST_F(SiteFailover, ABrokenFirstAddressGivesTheSecondOnesSearch) {
  const std::string http = sim_->http_base();
  const std::string dead_modes[] = {"http://127.0.0.1:1", http + "/moved/down",
                                    http + "/moved/dead-redirect"};
  for (int engine = 1; engine <= 6; ++engine) {
    const std::string real = saved_.engine_site(engine);
    use_list(engine, {real});
    const auto alone = run(engine, "a45");
    ASSERT_GT(alone->rows(), 0) << engine;
    for (const std::string& dead_base : dead_modes) {
      SCOPED_TRACE(dead_base + " engine " + std::to_string(engine));
      forget_working_sites();
      use_list(engine, {shaped(engine, dead_base), real});
      const auto mirrored = run(engine, "a45");
      EXPECT_EQ(mirrored->log, alone->log);
      EXPECT_EQ(cells(*mirrored), cells(*alone));
      EXPECT_EQ(mirrored->enables, alone->enables);
    }
  }
}

TEST_F(SiteFailover, AFirstAddressThatStallsPastTheTimeOutIsLeft) {
  RequestSettings settings;
  settings.default_timeout_seconds = 1;
  ScopedRequestSettings short_time_out(settings);
  const std::string real = saved_.engine_site(2);
  use_list(2, {real});
  const auto alone = run(2, "a45");
  use_list(2, {shaped(2, sim_->http_base() + "/moved/stall"), real});
  const auto mirrored = run(2, "a45");
  EXPECT_EQ(mirrored->log, alone->log);
  EXPECT_EQ(cells(*mirrored), cells(*alone));
}

TEST_F(SiteFailover, AllDeadEndsAsADeadSingleSiteAndNothingUnlistedIsTried) {
  const std::string http = sim_->http_base();
  for (const int engine : {1, 2, 6}) {
    SCOPED_TRACE(engine);
    use_list(engine, {shaped(engine, "http://127.0.0.1:1")});
    const auto alone = run(engine, "a45");
    use_list(engine,
             {shaped(engine, http + "/moved/down"), shaped(engine, http + "/moved/dead-redirect"),
              shaped(engine, "http://127.0.0.1:1")});
    take_requests();
    const auto mirrored = run(engine, "a45");
    EXPECT_EQ(mirrored->log, alone->log);
    EXPECT_EQ(cells(*mirrored), cells(*alone));
    // Only the listed addresses were asked; the redirect's target is not ours.
    for (const std::string& request : take_requests())
      EXPECT_NE(request.find("/moved/"), std::string::npos) << request;
  }
}

TEST_F(SiteFailover, TheAddressThatAnsweredIsTriedFirstNextTime) {
  const std::string http = sim_->http_base();
  use_list(2, {shaped(2, http + "/moved/down"), saved_.engine_site(2)});
  run(2, "a5");
  take_requests();
  run(2, "a5");
  const std::vector<std::string> requests = take_requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_TRUE(std::none_of(requests.begin(), requests.end(), [](const std::string& r) {
    return r.find("/moved/") != std::string::npos;
  }));
}

TEST_F(SiteFailover, ASingleAddressMakesExactlyTheRequestsItMadeBefore) {
  // Engine 3 reads the count from its first page, then loads page 1 again.
  use_list(3, {saved_.engine_site(3)});
  take_requests();
  run(3, "a12");
  std::vector<std::string> requests = take_requests();
  std::sort(requests.begin(), requests.end());
  EXPECT_EQ(requests,
            (std::vector<std::string>{"GET /e3/search/a12/1-1.html", "GET /e3/search/a12/1-1.html",
                                      "GET /e3/search/a12/2-1.html"}));
}

}  // namespace
}  // namespace trovix::testing
