// The first request of each engine (the one that reads the count or the
// first page), in one place: the engines make it through the failover over
// their addresses, and the site check makes the same request to tell a live
// site from a parked one.
#pragma once

#include <string>
#include <string_view>

namespace trovix {

struct FirstExchange {
  std::string page;       // the first page's body (engine 1: the page the form led to)
  std::string redirect;   // engine 1: the form's redirect address; empty otherwise
  std::string status;     // the status text of the exchange that decided
  bool answered = false;  // false: no connection, time-out, too many redirects or a 5xx
};

// A status text as WebRequest writes it tells a site that did not answer:
// one of the numbered failure texts (700 to 713) or a 5xx status.
bool site_failed(std::string_view status);

// Makes engine `engine_number`'s first request to `site` for `keyword` (GBK),
// exactly as the engine does. Engine 1 posts its form and then fetches the
// redirect: a redirect to a host that then fails counts as no answer.
// A timeout_seconds below 1 leaves the requests their usual time-out.
FirstExchange first_exchange(int engine_number, const std::string& site, const std::string& keyword,
                             int timeout_seconds = 0);

// True when the first page carries what the engine reads from it (its count
// markers, its nothing-found phrase or its result pattern): the site is the
// one the engine knows, not a parked or redesigned page.
bool first_page_recognised(int engine_number, const FirstExchange& exchange);

}  // namespace trovix
