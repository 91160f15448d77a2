// What an engine gets to run one search. Engines are Qt-free and touch
// nothing else: the same engine runs in the window, on the command line and in
// tests against the site simulator.
#pragma once

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include "search/engine_table.h"
#include "search/results_list.h"
#include "search/service_addresses.h"

namespace trovix {

struct SearchContext {
  std::function<std::string()> keyword;  // reads the keyword box (GBK)
  ResultsList& results;
  std::function<void(std::string_view)> append_log;  // GBK text, appended as is
  std::function<void()> enable_search_button;
  std::stop_token stop;  // raised by Pause; engines read it once per page pass
  const ServiceAddresses& addresses;

  bool stop_requested() const { return stop.stop_requested(); }
};

}  // namespace trovix
