// Starts the site simulator as a real process on free loopback ports for one
// test (or benchmark) and stops it again; nothing is left running.
#pragma once

#include <sys/types.h>

#include <string>

namespace trovix::testing {

class SiteSimulator {
 public:
  // Starts tools/sitesim with port 0 and waits until it listens; throws
  // std::runtime_error (with the simulator's output) when it does not come up.
  // The simulator ends with the thread that started it, so make it on a thread
  // that outlives it (the test's own thread). `latency_ms` is the simulator's
  // --latency-ms: every answer waits that long, as a far-away site's would; a
  // test changes it later with GET /sim/latency?ms=N (see tools/sitesim).
  explicit SiteSimulator(int latency_ms = 0);
  ~SiteSimulator();  // terminates it and waits for it
  SiteSimulator(const SiteSimulator&) = delete;
  SiteSimulator& operator=(const SiteSimulator&) = delete;

  std::string http_base() const;   // "http://127.0.0.1:PORT"
  std::string https_base() const;  // "https://127.0.0.1:PORT" (certificate valid for 127.0.0.1)
  std::string ca_file() const;     // PEM of the simulator's own certificate authority
  // An INI file (the --services format) that points every address at the simulator.
  std::string services_file() const;
  // The bare TCP responder for malformed answers (/raw/...) and the exact-order /echo.
  int raw_port() const;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int http_port_ = 0;
  int https_port_ = 0;
  int raw_port_ = 0;
  std::string state_dir_;
  std::string ca_file_;
  std::string services_file_;
};

}  // namespace trovix::testing
