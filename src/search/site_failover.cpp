#include "search/site_failover.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "web/web_request.h"

namespace trovix {

namespace {

std::mutex memory_mutex;
std::map<int, std::string>& working_sites() {
  static std::map<int, std::string> sites;
  return sites;
}

std::vector<std::string> sites_in_trial_order(const ServiceAddresses& addresses, int engine) {
  std::vector<std::string> sites = addresses.engine_sites(engine);
  std::lock_guard lock(memory_mutex);
  const auto known = working_sites().find(engine);
  if (known != working_sites().end()) {
    const auto at = std::find(sites.begin(), sites.end(), known->second);
    if (at != sites.end()) std::rotate(sites.begin(), at, at + 1);
  }
  return sites;
}

}  // namespace

OpenedSite open_engine_site(SearchContext& context, int engine_number) {
  const std::vector<std::string> sites = sites_in_trial_order(context.addresses, engine_number);
  OpenedSite opened;
  for (const std::string& site : sites) {
    opened.site = site;
    opened.first = first_exchange(engine_number, site, context.keyword());
    if (opened.first.answered) {
      if (sites.size() > 1) {
        std::lock_guard lock(memory_mutex);
        working_sites()[engine_number] = site;
      }
      return opened;
    }
    // A superseded search tries no further address.
    if (current_request_scope().cancel.stop_requested()) return opened;
  }
  return opened;
}

void forget_working_sites() {
  std::lock_guard lock(memory_mutex);
  working_sites().clear();
}

}  // namespace trovix
