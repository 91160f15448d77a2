// Starts the site simulator as a real process on free loopback ports for one
// test (or benchmark) and stops it again; nothing is left running.
#pragma once

#include <string>
#include <sys/types.h>

namespace trovix::testing {

class SiteSimulator {
 public:
  SiteSimulator();   // starts tools/sitesim with port 0 and waits until it listens
  ~SiteSimulator();  // terminates it and waits for it
  SiteSimulator(const SiteSimulator&) = delete;
  SiteSimulator& operator=(const SiteSimulator&) = delete;

  std::string http_base() const;   // "http://127.0.0.1:PORT"
  std::string https_base() const;  // "https://127.0.0.1:PORT" (certificate valid for 127.0.0.1)
  std::string ca_file() const;     // PEM of the simulator's own certificate authority
  // An INI file (the --services format) that points every address at the simulator.
  std::string services_file() const;

 private:
  pid_t pid_ = -1;
  int http_port_ = 0;
  int https_port_ = 0;
  std::string ca_file_;
  std::string services_file_;
};

}  // namespace trovix::testing
