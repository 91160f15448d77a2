// The site check behind "trovix sites": every configured address of the six
// engines (and the program server's information page) asked what its user
// would ask first, a bounded number at a time, each bounded by the time-out.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "search/service_addresses.h"

namespace trovix {

enum class SiteState {
  ok,           // it answers with what the program reads from it
  changed,      // it answers, but the markers are missing: parked or redesigned
  unreachable,  // no answer: no connection, time-out, too many redirects, a 5xx
};

struct SiteProbe {
  SiteState state = SiteState::unreachable;
  std::string detail;  // the status text of the answer or of the failure (GBK)
};

struct SiteTarget {
  std::string name;  // "engine1" … "engine6", "info_page"
  int engine = 0;    // 1 to 6; 0 for a target that is no engine
  std::string address;
  std::function<SiteProbe(const std::string& address, int timeout_seconds)> probe;
};

struct SiteReport {
  std::string name;
  int engine = 0;
  std::string address;
  SiteProbe probe;
  std::chrono::milliseconds elapsed{0};
};

// The keyword the check searches for: harmless, and found on any live index.
inline constexpr const char* kSiteCheckKeyword = "linux";

// Engine `engine_number`'s first request to `site` for the check's keyword,
// judged by the engine's own markers.
SiteProbe probe_engine_site(int engine_number, const std::string& site, int timeout_seconds);

// One target per address of every engine, in engine and list order.
std::vector<SiteTarget> engine_site_targets(const ServiceAddresses& addresses);

// Runs every probe, at most `parallel` at once, with `timeout_seconds` for
// every phase of each request. Reports come in the targets' order.
std::vector<SiteReport> check_sites(const std::vector<SiteTarget>& targets, int parallel,
                                    int timeout_seconds);

// True when each of the six engines has at least one ok address.
bool every_engine_reachable(const std::vector<SiteReport>& reports);

const char* site_state_name(SiteState state);

}  // namespace trovix
