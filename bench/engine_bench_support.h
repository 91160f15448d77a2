// What the engine benchmarks share: one simulator per process, its addresses,
// and one run of an engine on a fresh in-memory list, as the window runs it.
#pragma once

#include <stop_token>
#include <string>
#include <string_view>

#include "search/results_list.h"
#include "search/search_context.h"
#include "search/service_addresses.h"
#include "support/sitesim_process.h"

namespace trovix::bench {

inline testing::SiteSimulator& simulator() {
  static testing::SiteSimulator sim;
  return sim;
}

inline ServiceAddresses simulator_addresses() {
  ServiceAddresses addresses = default_service_addresses();
  load_service_addresses(simulator().services_file(), addresses);
  return addresses;
}

// Runs the engine to its end and returns the number of rows it listed.
inline int run_engine_once(EngineEntry entry, const char* keyword, const ServiceAddresses& sites) {
  MemoryResultsList list;
  std::string log;
  std::stop_source stop;
  SearchContext context{
      [keyword] { return std::string(keyword); },
      list,
      [&log](std::string_view text) { log += text; },
      [] {},
      stop.get_token(),
      sites,
  };
  entry(context);
  return list.row_count();
}

}  // namespace trovix::bench
