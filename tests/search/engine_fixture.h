// A test suite that runs engines end to end against one site simulator
// process: the engine runs synchronously on a SearchContext over an in-memory
// list, and the run records the log text and the Search-button calls.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "search/engine_common.h"
#include "search/engines.h"
#include "search/results_list.h"
#include "search/search_context.h"
#include "search/service_addresses.h"
#include "support/sitesim_process.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix::testing {

struct EngineRun {
  MemoryResultsList list;
  std::string log;  // every text the engine appended, GBK
  int enables = 0;  // enable_search_button calls
  int keyword_reads = 0;

  int rows() const { return list.row_count(); }
  std::string cell(int row, int column) const { return list.cell_text(row, column); }
};

class EngineTest : public ::testing::Test {
 protected:
  // Sees every text the engine appends, with the run's stop source (Pause).
  using LogHook = std::function<void(std::string_view text, std::stop_source& pause)>;

  static void SetUpTestSuite() {
    sim_ = std::make_unique<SiteSimulator>();
    addresses_ = default_service_addresses();
    ASSERT_TRUE(load_service_addresses(sim_->services_file(), addresses_).empty());
    set_web_ca_file(sim_->ca_file());
  }
  static void TearDownTestSuite() { sim_.reset(); }

  // Runs engine `engine` on `keyword` (GBK).
  static std::unique_ptr<EngineRun> run(int engine, const std::string& keyword,
                                        const LogHook& hook = {}) {
    auto result = std::make_unique<EngineRun>();
    std::stop_source pause;
    SearchContext context{
        [&] {
          ++result->keyword_reads;
          return keyword;
        },
        result->list,
        [&](std::string_view text) {
          result->log += text;
          if (hook) hook(text, pause);
        },
        [&] { ++result->enables; },
        pause.get_token(),
        addresses_,
    };
    engine_entry(engine)(context);
    return result;
  }

  // Raises Pause as soon as `text` is appended to the log.
  static LogHook pause_on(std::string text) {
    return [text = std::move(text)](std::string_view appended, std::stop_source& pause) {
      if (appended == text) pause.request_stop();
    };
  }

  // The progress lines of passes first … last.
  static std::string progress(int engine, int first, int last) {
    std::string lines;
    for (int pass = first; pass <= last; ++pass) lines += page_progress_line(engine, pass);
    return lines;
  }

  static const std::string& site(int engine) { return addresses_.engine_site(engine); }

  static std::unique_ptr<SiteSimulator> sim_;
  static ServiceAddresses addresses_;
};

inline std::unique_ptr<SiteSimulator> EngineTest::sim_;
inline ServiceAddresses EngineTest::addresses_;

// Rows whose column 0 does not hold its 1-based number, as text for a failure
// message (empty when every row is numbered in order).
inline std::string misnumbered_rows(const EngineRun& run) {
  std::string wrong;
  for (int row = 0; row < run.rows(); ++row)
    if (run.cell(row, 0) != std::to_string(row + 1)) wrong += std::to_string(row) + " ";
  return wrong;
}

// Rows (0-based) whose every column after the number is empty.
inline std::vector<int> bare_rows(const EngineRun& run) {
  std::vector<int> bare;
  const int columns = run.list.column_count();
  for (int row = 0; row < run.rows(); ++row) {
    bool empty = true;
    for (int column = 1; column < columns; ++column) empty = empty && run.cell(row, column).empty();
    if (empty) bare.push_back(row);
  }
  return bare;
}

}  // namespace trovix::testing
