// /sim/latency?ms=N[&vary=1]  sets the latency of every later answer (vary=1:
//                             each answer waits between 0 and 2N ms, fixed per
//                             request target, so answers come back out of order)
// /sim/requests               the requests received since the last clear, one
//                             "METHOD TARGET" line each, in arrival order
// /sim/requests/clear         forgets them
// The control routes themselves wait no latency and are not recorded.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "control.h"
#include "sim.h"

namespace sitesim {

namespace {

constexpr long kMaxLatencyMs = 60'000;

std::atomic<long> latency_ms{0};
std::atomic<bool> vary_latency{false};

std::mutex log_mutex;
std::vector<std::string> request_log;

long latency_for(const httplib::Request& req) {
  const long base = latency_ms.load();
  if (!vary_latency.load() || base <= 0) return base;
  return static_cast<long>(std::hash<std::string>{}(req.target) %
                           static_cast<std::size_t>(2 * base + 1));
}

}  // namespace

void set_latency_ms(long ms) { latency_ms.store(ms < 0 ? 0 : std::min(ms, kMaxLatencyMs)); }

void register_controls(httplib::Server& server) {
  server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
    if (req.path.starts_with("/sim/")) return httplib::Server::HandlerResponse::Unhandled;
    {
      std::lock_guard lock(log_mutex);
      request_log.push_back(req.method + " " + req.target);
    }
    if (const long wait = latency_for(req); wait > 0)
      sleep_unless_stopping(std::chrono::milliseconds(wait));
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.Get("/sim/latency", [](const httplib::Request& req, httplib::Response& res) {
    const std::string ms = req.has_param("ms") ? req.get_param_value("ms") : "0";
    set_latency_ms(std::strtol(ms.c_str(), nullptr, 10));
    vary_latency.store(req.has_param("vary") && req.get_param_value("vary") == "1");
    res.set_content("latency " + std::to_string(latency_ms.load()) + "\n", "text/plain");
  });
  server.Get("/sim/requests", [](const httplib::Request&, httplib::Response& res) {
    std::string text;
    {
      std::lock_guard lock(log_mutex);
      for (const std::string& line : request_log) text += line + "\n";
    }
    res.set_content(text, "text/plain");
  });
  server.Get("/sim/requests/clear", [](const httplib::Request&, httplib::Response& res) {
    std::lock_guard lock(log_mutex);
    request_log.clear();
    res.set_content("cleared\n", "text/plain");
  });
}

}  // namespace sitesim
