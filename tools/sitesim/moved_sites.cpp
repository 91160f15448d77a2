#include "moved_sites.h"

#include <httplib.h>

#include <chrono>

#include "sim.h"

namespace sitesim {

void register_moved_sites(httplib::Server& server) {
  const auto handler = [](const httplib::Request& req, httplib::Response& res) {
    const std::string mode = req.matches[1].str();
    const std::string rest = req.matches[2].str();
    if (mode == "down") {
      res.status = 503;
      res.set_content("<h1>503</h1>", "text/html");
    } else if (mode == "dead-redirect") {
      // Port 1 on loopback refuses every connection.
      res.status = 302;
      res.set_header("Location", "http://127.0.0.1:1" + rest);
      // Engine 1 reads the address up to the Server line, as real sites send it.
      res.set_header("Server", "sitesim");
      res.set_content("moved", "text/plain");
    } else if (mode == "stall") {
      sleep_unless_stopping(std::chrono::seconds(20));
      res.set_content("<html><body>late</body></html>", "text/html");
    } else {
      res.status = 400;
      res.set_content("unknown mode " + mode, "text/plain");
    }
  };
  // The rest keeps its query string, so a redirect names the same request.
  const std::string pattern = R"(/moved/([a-z-]+)(/.*)?)";
  server.Get(pattern, handler);
  server.Post(pattern, handler);
}

}  // namespace sitesim
