// Failover over an engine's mirror list, decided once per search on the
// engine's first request; every engine opens its site through here.
#pragma once

#include <string>

#include "search/first_request.h"
#include "search/search_context.h"

namespace trovix {

struct OpenedSite {
  std::string site;     // the address the whole search runs on
  FirstExchange first;  // the first request's answer from it
};

// Makes the engine's first request on each of its addresses in turn, the one
// that answered in an earlier search of this run first, then the others in
// the file's order, until one answers (see FirstExchange::answered). That one
// is remembered for later searches. When none answers, the search runs on
// the last address tried with its failed answer, so the engine takes its own
// failure ending. Only addresses of the engine's list are ever tried; a
// redirect never becomes the site. The keyword is read once per attempt.
OpenedSite open_engine_site(SearchContext& context, int engine_number);

// Forgets which addresses answered (for tests that start over).
void forget_working_sites();

}  // namespace trovix
