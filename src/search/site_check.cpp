#include "search/site_check.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "search/first_request.h"
#include "web/request_settings.h"
#include "web/web_request.h"

namespace trovix {

SiteProbe probe_engine_site(int engine_number, const std::string& site, int timeout_seconds) {
  const FirstExchange exchange =
      first_exchange(engine_number, site, kSiteCheckKeyword, timeout_seconds);
  if (!exchange.answered) return {SiteState::unreachable, exchange.status};
  return {first_page_recognised(engine_number, exchange) ? SiteState::ok : SiteState::changed,
          exchange.status};
}

std::vector<SiteTarget> engine_site_targets(const ServiceAddresses& addresses) {
  std::vector<SiteTarget> targets;
  for (int engine = 1; engine <= static_cast<int>(addresses.engine.size()); ++engine) {
    for (const std::string& site : addresses.engine_sites(engine))
      targets.push_back({"engine" + std::to_string(engine), engine, site,
                         [engine](const std::string& address, int timeout) {
                           return probe_engine_site(engine, address, timeout);
                         }});
  }
  return targets;
}

std::vector<SiteReport> check_sites(const std::vector<SiteTarget>& targets, int parallel,
                                    int timeout_seconds) {
  std::vector<SiteReport> reports(targets.size());
  std::atomic<std::size_t> next{0};
  // Each checking thread asks with the caller's request settings.
  const RequestScope scope = current_request_scope();
  const RequestSettings settings = current_request_settings();
  auto work = [&] {
    ScopedRequestScope scoped(scope);
    ScopedRequestSettings same_settings(settings);
    for (std::size_t i = next++; i < targets.size(); i = next++) {
      const SiteTarget& target = targets[i];
      const auto start = std::chrono::steady_clock::now();
      SiteProbe probe = target.probe(target.address, timeout_seconds);
      reports[i] = {target.name, target.engine, target.address, std::move(probe),
                    std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)};
    }
  };
  const std::size_t threads =
      std::min(targets.size(), static_cast<std::size_t>(std::max(parallel, 1)));
  {
    std::vector<std::jthread> workers;
    for (std::size_t t = 0; t < threads; ++t) workers.emplace_back(work);
  }
  return reports;
}

bool every_engine_reachable(const std::vector<SiteReport>& reports) {
  for (int engine = 1; engine <= 6; ++engine) {
    const bool ok = std::any_of(reports.begin(), reports.end(), [engine](const SiteReport& r) {
      return r.engine == engine && r.probe.state == SiteState::ok;
    });
    if (!ok) return false;
  }
  return true;
}

const char* site_state_name(SiteState state) {
  switch (state) {
    case SiteState::ok:
      return "ok";
    case SiteState::changed:
      return "changed";
    case SiteState::unreachable:
      break;
  }
  return "unreachable";
}

}  // namespace trovix
