// 种子引擎1 over the site simulator with 5 000 hits: the form POST, the first
// result page, then 100 result pages of 20 hits (2 000 rows) up to the page
// limit. Wall time and the engine thread's CPU time per search.
// The bare variant fetches the same 100 pages one after the other and reads
// every group of every match with WebRequest and RegexMatcher alone: the floor
// the engine cannot go below.
//
//   build-*/bench/engine1_bench --benchmark_repetitions=5
//   python3 bench/engine1_python.py build-*/tools/sitesim/sitesim   (the same search in Python)
//
// The simulator runs as its own process, so its CPU time is not counted.
#include <benchmark/benchmark.h>

#include <stop_token>
#include <string>

#include "engine_bench_support.h"
#include "search/engine_patterns.h"
#include "search/engines.h"
#include "search/results_list.h"
#include "search/search_context.h"
#include "search/service_addresses.h"
#include "web/codec.h"
#include "web/regex_matcher.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace {

constexpr const char* kKeyword = "t5000";

void BM_engine1_hundred_pages(benchmark::State& state) {
  const trovix::ServiceAddresses sites = trovix::bench::simulator_addresses();
  int rows = 0;
  for (auto _ : state) rows = trovix::bench::run_engine_once(trovix::run_engine1, kKeyword, sites);
  if (rows != 2000) state.SkipWithError("the search did not list 2000 rows");
  state.counters["pages"] = 100;
}

void BM_engine1_bare(benchmark::State& state) {
  const std::string site = trovix::bench::simulator_addresses().engine_site(1);
  // The search token, taken once from the form's redirect as the engine does.
  std::string headers;
  trovix::WebRequest(site, 1, "keyword=" + trovix::url_encode(kKeyword, false, true), nullptr,
                     nullptr, {}, &headers, true);
  const std::string location = trovix::text_between(headers, "Location: ", "\r\n");
  const std::string token = trovix::text_between(location, "/search/", "/1");
  std::size_t cells = 0;
  for (auto _ : state) {
    trovix::RegexMatcher matcher;
    cells = 0;
    for (int page = 1; page <= 100; ++page) {
      matcher.match(
          trovix::engine1_result_pattern(),
          trovix::WebRequest(site + "search/" + token + "/" + std::to_string(page) + "/1/0.html"));
      for (int j = 1; j <= 20; ++j)
        for (int group : {1, 2, 3, 6, 7}) cells += matcher.submatch_text(j, group).size();
    }
  }
  if (cells == 0) state.SkipWithError("no page was read");
}

}  // namespace

BENCHMARK(BM_engine1_hundred_pages)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_engine1_bare)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
