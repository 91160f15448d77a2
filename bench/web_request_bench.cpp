// WebRequest throughput: 200 GETs of a 60 KB page made one after the other,
// over HTTP and over HTTPS (a fresh connection, and for HTTPS a full TLS
// handshake, per request). items_per_second is requests per second.
//
//   build-*/bench/web_request_bench --benchmark_repetitions=5
//
// bench/web_request_python.py makes the same requests with urllib against a
// simulator started by hand, for comparison. The simulator runs as its own
// process, so only wall time tells.
#include <benchmark/benchmark.h>

#include <string>

#include "web/web_request.h"

// The one launcher of the simulator the tests use as well.
#include "support/sitesim_process.h"

namespace {

constexpr int kRequests = 200;
constexpr const char* kPage = "/page/sized?bytes=61440";

trovix::testing::SiteSimulator& simulator() {
  static trovix::testing::SiteSimulator sim;
  return sim;
}

void run(benchmark::State& state, const std::string& url) {
  trovix::set_web_ca_file(simulator().ca_file());
  std::size_t bytes = 0;
  for (auto _ : state) {
    for (int i = 0; i < kRequests; ++i) {
      const std::string page = trovix::WebRequest(url);
      if (page.size() != 61440) {
        state.SkipWithError("a request did not bring the whole page");
        return;
      }
      bytes += page.size();
    }
  }
  state.SetItemsProcessed(state.iterations() * kRequests);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_WebRequestHttp(benchmark::State& state) { run(state, simulator().http_base() + kPage); }
void BM_WebRequestHttps(benchmark::State& state) { run(state, simulator().https_base() + kPage); }

BENCHMARK(BM_WebRequestHttp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WebRequestHttps)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
