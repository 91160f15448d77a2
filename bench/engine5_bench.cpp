// 网盘引擎1 over ten full pages of the site simulator: 10 result pages, and a
// detail page and a share page for each of their 100 hits (210 requests made
// one after the other). Wall time and the engine thread's CPU time per search.
// The bare variant makes the same requests and cuts the same texts without
// the results list or the log, the floor the engine cannot go below.
//
//   build-*/bench/engine5_bench --benchmark_repetitions=5
//
// The simulator runs as its own process, so its CPU time is not counted.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <stop_token>
#include <string>

#include "engine_bench_support.h"
#include "search/engine_patterns.h"
#include "search/engines.h"
#include "search/results_list.h"
#include "search/search_context.h"
#include "search/service_addresses.h"
#include "search/share_check.h"
#include "web/codec.h"
#include "web/regex_matcher.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace {

// 100 hits: ten full pages, the engine's page limit.
constexpr const char* kKeyword = "bench100";

void BM_engine5_ten_pages(benchmark::State& state) {
  const trovix::ServiceAddresses sites = trovix::bench::simulator_addresses();
  int rows = 0;
  for (auto _ : state) rows = trovix::bench::run_engine_once(trovix::run_engine5, kKeyword, sites);
  if (rows != 100) state.SkipWithError("the search did not list 100 rows");
  state.counters["requests"] = 210;
}

void BM_engine5_bare(benchmark::State& state) {
  const std::string site = trovix::bench::simulator_addresses().engine_site(5);
  const std::string left = "rel=\"noreferrer external nofollow\" href=\"";
  const std::string right = trovix::gbk("\" target=\"_blank\">点击下载</a>");
  int valid = 0;
  for (auto _ : state) {
    trovix::RegexMatcher matcher;
    valid = 0;
    for (int page = 1; page <= 10; ++page) {
      matcher.match(trovix::engine5_result_pattern(),
                    trovix::WebRequest(site + "/zh/" + kKeyword + "_" + std::to_string(page), 1));
      for (int j = 1; j <= 10; ++j) {
        const std::string detail = trovix::WebRequest(site + matcher.submatch_text(j, 1), 1);
        const std::string share = trovix::text_between(detail, left, right);
        if (!trovix::share_page_is_gone(trovix::WebRequest(share))) ++valid;
      }
    }
  }
  if (valid == 0) state.SkipWithError("no share was reached");
}

}  // namespace

BENCHMARK(BM_engine5_ten_pages)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_engine5_bare)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
