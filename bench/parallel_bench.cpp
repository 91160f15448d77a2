// Parallel fetching against a site 50 ms away: the simulator waits 50 ms
// before every answer, and engine 1 (5 000 hits: the form, the first page and
// 100 result pages) and engine 5 (ten full pages: 10 result pages and a
// detail and a share page for each of their 100 hits, 210 requests) each run
// with parallel_requests 1 and 4. Prints the wall times side by side and the
// speed-up; the target is at least 3x with 4.
//
//   build/release/bench/parallel_bench [latency_ms] [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "search/engines.h"
#include "search/results_list.h"
#include "search/search_context.h"
#include "search/service_addresses.h"
#include "support/sitesim_process.h"
#include "web/web_request.h"

namespace {

struct Figure {
  double median_ms = 0;
  int rows = 0;
};

Figure time_engine(trovix::EngineEntry entry, const char* keyword, trovix::ServiceAddresses sites,
                   int parallel, int runs) {
  sites.parallel_requests = parallel;
  std::vector<double> times;
  Figure figure;
  for (int i = 0; i < runs; ++i) {
    trovix::MemoryResultsList list;
    std::stop_source stop;
    trovix::SearchContext context{
        [keyword] { return std::string(keyword); },
        list,
        [](std::string_view) {},
        [] {},
        stop.get_token(),
        sites,
    };
    const auto start = std::chrono::steady_clock::now();
    entry(context);
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    figure.rows = list.row_count();
  }
  std::sort(times.begin(), times.end());
  figure.median_ms = times[times.size() / 2];
  return figure;
}

}  // namespace

int main(int argc, char** argv) {
  const int latency = argc > 1 ? std::max(0, std::atoi(argv[1])) : 50;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  trovix::testing::SiteSimulator sim(latency);
  trovix::ServiceAddresses sites = trovix::default_service_addresses();
  trovix::load_service_addresses(sim.services_file(), sites);
  trovix::set_web_ca_file(sim.ca_file());

  struct Search {
    const char* name;
    trovix::EngineEntry entry;
    const char* keyword;
    int rows;
  };
  const Search searches[] = {
      {"engine 1, 5000 hits (100 pages)", trovix::run_engine1, "t5000", 2000},
      {"engine 5, ten full pages (210 requests)", trovix::run_engine5, "bench100", 100},
  };
  std::printf("latency %d ms per answer, median of %d run(s)\n", latency, runs);
  std::printf("%-42s %14s %14s %8s\n", "search", "parallel 1", "parallel 4", "speed-up");
  int status = 0;
  for (const Search& search : searches) {
    const Figure one = time_engine(search.entry, search.keyword, sites, 1, runs);
    const Figure four = time_engine(search.entry, search.keyword, sites, 4, runs);
    std::printf("%-42s %11.0f ms %11.0f ms %7.2fx\n", search.name, one.median_ms, four.median_ms,
                one.median_ms / four.median_ms);
    if (one.rows != search.rows || four.rows != search.rows) {
      std::printf("  wrong row count: %d and %d, expected %d\n", one.rows, four.rows, search.rows);
      status = 1;
    }
  }
  return status;
}
