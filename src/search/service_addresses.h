// Every outside address the program uses, with built-in defaults; a user (and
// every test and the demo) can override any of them with an INI file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/engine_table.h"

namespace trovix {

inline constexpr int kDefaultParallelRequests = 4;
inline constexpr int kMaxParallelRequests = 16;

struct ServiceAddresses {
  // [sites], one key per engine of the engine table (engine1 … engine6),
  // written exactly as each engine joins paths to them: engines 1, 2 and 4
  // end with "/", engines 3, 5 and 6 do not.
  std::array<std::string, kEngineCount> engine;
  // [server]
  std::string info_page;
  std::string counter;     // the counter page: host + "/count1/count.asp"
  std::string counter_id;  // the program's counter number, the page's "id" query value
  std::string website;
  std::string group_join;
  std::string share_page;
  std::string manual_download;
  std::string thunder_installer;
  std::string xuanfeng_installer;
  std::string form_service;  // scheme and host; the form's paths follow it
  std::string form_token;
  std::string connectivity_check;
  // [tls]
  std::string ca_file;
  // [paths]
  std::string default_folder;  // "~/" at the start of a value means $HOME
  // [download_tools] names: the programs besides "Thunder.exe" whose running
  // process closes the download-tool tip window, separated by commas.
  std::string download_tools;
  // [sites] the further addresses of a mirror list ("engine5 = A B C" puts A
  // into `engine` and B, C here), tried in order when the ones before fail.
  std::array<std::vector<std::string>, kEngineCount> engine_mirrors;
  // [network] the time-out of each phase of every request, in seconds
  int timeout_seconds = kDefaultTimeoutSeconds;

  static constexpr int kDefaultTimeoutSeconds = 30;
  // [search] requests one search may have in flight at once (1: one after
  // the other); rows and log lines are the same whatever the number.
  int parallel_requests = kDefaultParallelRequests;

  const std::string& engine_site(int engine_number) const { return engine.at(engine_number - 1); }
  // Every address of the engine, the first one first.
  std::vector<std::string> engine_sites(int engine_number) const;
};

ServiceAddresses default_service_addresses();

// A parallel_requests value as the services file or the command line writes
// it: a whole number from 1 to kMaxParallelRequests, nothing else.
std::optional<int> parallel_requests_value(std::string_view text);

struct ConfigProblem {
  std::string file;
  int line = 0;  // 0: the file as a whole (for example unreadable)
  std::string message;
};

// Overrides `into` with the keys the file sets. Problems are reported, never
// thrown; keys that were read correctly stay applied, the rest keep their value.
std::vector<ConfigProblem> load_service_addresses(const std::string& path, ServiceAddresses& into);
// The same over the text of such a file; `path` only names it in problems.
std::vector<ConfigProblem> parse_service_addresses(std::string_view text, const std::string& path,
                                                   ServiceAddresses& into);
// "file:line: message", or "file: message" for the file as a whole.
std::string describe(const ConfigProblem& problem);

// True when every address of the engine is its built-in placeholder: the
// user has not pointed the engine at a real site yet.
bool engine_unconfigured(const ServiceAddresses& addresses, int engine_number);

// The per-user services file: $XDG_CONFIG_HOME (or ~/.config) + "/trovix/services.ini".
std::string user_services_path();

}  // namespace trovix
