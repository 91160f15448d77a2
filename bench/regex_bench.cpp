// Pages per second for cutting every hit out of an engine-1 result page: one
// match over the whole GBK page and a read of all 7 groups of the 20 hits, as
// the engine does per page. Compare with bench/regex_python.py on the same page.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "search/engine_patterns.h"
#include "web/regex_matcher.h"

namespace {

constexpr int kHits = 20;
constexpr int kGroups = 7;

const std::string& result_page() {
  static const std::string page = [] {
    std::ifstream in(TROVIX_SOURCE_DIR "/bench/fixtures/engine1_page.html", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  return page;
}

bool extract(trovix::RegexMatcher& matcher, const std::string& page, std::size_t& bytes) {
  if (!matcher.match(trovix::engine1_result_pattern(), page)) return false;
  for (int hit = 1; hit <= kHits; ++hit) {
    for (int group = 1; group <= kGroups; ++group) {
      std::string text = matcher.submatch_text(hit, group);
      bytes += text.size();
      benchmark::DoNotOptimize(text);
    }
  }
  return matcher.match_count() == kHits;
}

void run(benchmark::State& state, bool matcher_per_page) {
  const std::string& page = result_page();
  trovix::RegexMatcher shared;
  std::size_t bytes = 0;
  if (page.empty() || !extract(shared, page, bytes)) {
    state.SkipWithError("fixture missing or not 20 hits: run bench/make_result_page.py");
    return;
  }
  for (auto _ : state) {
    if (matcher_per_page) {
      trovix::RegexMatcher fresh;
      extract(fresh, page, bytes);
    } else {
      extract(shared, page, bytes);
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The engines' way: one matcher for the whole search, so the pattern is
// compiled once.
void BM_Engine1Page(benchmark::State& state) { run(state, false); }
// A new matcher per page: compiling the pattern every time.
void BM_Engine1PageFreshMatcher(benchmark::State& state) { run(state, true); }

}  // namespace

BENCHMARK(BM_Engine1Page)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Engine1PageFreshMatcher)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
