#include "fault_sites.h"

#include <httplib.h>

#include <chrono>
#include <memory>

#include "sim.h"

namespace sitesim {

namespace {

constexpr const char* kHtml = "text/html";
constexpr auto kStall = std::chrono::seconds(20);
constexpr std::size_t kBigPage = 10u * 1024 * 1024;
constexpr std::size_t kChunk = 64 * 1024;

void big_page(httplib::Response& res) {
  res.set_content_provider(kBigPage, kHtml,
                           [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                             std::string chunk(std::min(length, kChunk), 'x');
                             for (std::size_t i = 0; i < chunk.size(); ++i)
                               if ((offset + i) % 100 == 99) chunk[i] = '\n';
                             return sink.write(chunk.data(), chunk.size());
                           });
}

void cut_page(httplib::Response& res) {
  res.set_content_provider(100000, kHtml,
                           [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                             if (offset > 0)
                               return false;  // drops the connection short of the length
                             const std::string part = "<html><body>" + std::string(988, 'x');
                             sink.write(part.data(), part.size());
                             return true;
                           });
}

}  // namespace

void register_fault_sites(httplib::Server& server, const std::string& own_base) {
  const auto handler = [own_base](const httplib::Request& req, httplib::Response& res) {
    const std::string mode = req.matches[1].str();
    if (mode == "stall") {
      sleep_unless_stopping(kStall);
      res.set_content("<html><body>late</body></html>", kHtml);
    } else if (mode == "reset") {
      cut_page(res);
    } else if (mode == "big") {
      big_page(res);
    } else if (mode == "badgbk") {
      res.set_content(std::string("<html><head><meta charset=gbk></head><body>"
                                  "\x81\x20\xFF\xFF"
                                  "abc\xD6\x81"
                                  "</body></html>"),
                      kHtml);
    } else if (mode == "loop") {
      res.status = 302;
      res.set_header("Location", own_base + req.target);
      res.set_content("redirect body", "text/plain");
    } else if (mode == "404" || mode == "500") {
      res.status = mode == "404" ? 404 : 500;
      res.set_content("<h1>" + mode + "</h1>", kHtml);
    } else if (mode == "empty") {
      res.set_content("", kHtml);
    } else {
      res.status = 400;
      res.set_content("unknown fault mode " + mode, "text/plain");
    }
  };
  const std::string pattern = R"(/faulty/([a-z0-9]+)(/.*)?)";
  server.Get(pattern, handler);
  server.Post(pattern, handler);
  server.Put(pattern, handler);
  server.Delete(pattern, handler);
  server.Options(pattern, handler);
}

std::string raw_fault_site_answer(std::string_view path) {
  if (!path.starts_with("/faulty/garbage/") && path != "/faulty/garbage") return {};
  return std::string("HTTP/1.1 200 OK\r\n\x01\x02garbage: \xff\r\nbroken\r\n\r\nbody");
}

}  // namespace sitesim
