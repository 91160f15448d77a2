// What every page of the site simulator may need to know about the running
// simulator itself: the bases it answers on (for absolute links in pages) and
// its shutdown, which a deliberately slow page must not outlast.
#pragma once

#include <chrono>
#include <string>

namespace sitesim {

struct SimConfig {
  std::string http_base;   // "http://127.0.0.1:PORT"
  std::string https_base;  // "https://127.0.0.1:PORT"
};

// Waits up to `duration`; returns false at once when the simulator is shutting
// down, so a stalled answer never holds up the exit.
bool sleep_unless_stopping(std::chrono::milliseconds duration);

// Wakes every sleeper above and makes later calls return false at once.
void begin_shutdown();

}  // namespace sitesim
