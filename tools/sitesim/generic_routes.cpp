#include <httplib.h>
#include <iconv.h>

#include <algorithm>
#include <cstdlib>

#include "catalogue.h"
#include "routes.h"

namespace sitesim {

namespace {

constexpr const char* kHtml = "text/html";
constexpr std::size_t kChunk = 64 * 1024;

const std::string& chinese_text() {
  static const std::string text = "中文页面";  // UTF-8 source
  return text;
}

long long param_number(const httplib::Request& req, const char* name, long long fallback,
                       long long limit) {
  if (!req.has_param(name)) return fallback;
  const std::string text = req.get_param_value(name);
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (end == nullptr || *end != '\0' || value < 0) return fallback;
  return std::min(value, limit);
}

// The filler of a page of exactly `total` bytes: an HTML frame around 'x's, or
// only 'x's when the frame would not fit.
std::string filler_page(std::size_t total) {
  static const std::string head = "<html><head><title>sized</title></head><body>";
  static const std::string tail = "</body></html>";
  if (total < head.size() + tail.size()) return std::string(total, 'x');
  return head + std::string(total - head.size() - tail.size(), 'x') + tail;
}

// Streams a page of `total` bytes: an HTML head, then lines of filler, then the
// tail; never holds more than one chunk in memory.
void stream_page(httplib::Response& res, std::size_t total) {
  res.set_content_provider(
      total, kHtml, [total](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        static const std::string head = "<html><head><title>big</title></head><body>\n";
        static const std::string tail = "\n</body></html>\n";
        std::string chunk;
        std::size_t end = offset + std::min(length, kChunk);
        chunk.reserve(end - offset);
        for (std::size_t at = offset; at < end; ++at) {
          char c;
          if (at < head.size())
            c = head[at];
          else if (total - at <= tail.size())
            c = tail[tail.size() - (total - at)];
          else
            c = (at % 80 == 79) ? '\n' : static_cast<char>('a' + at % 26);
          chunk.push_back(c);
        }
        return sink.write(chunk.data(), chunk.size());
      });
}

std::string request_base(const httplib::Request& req, const std::string& own_base) {
  std::string host = req.get_header_value("Host");
  if (host.empty()) return own_base;
  return own_base.substr(0, own_base.find("://") + 3) + host;
}

bool basic_auth_ok(const httplib::Request& req) {
  std::string value = req.get_header_value("Authorization");
  if (value.size() < 6) return false;
  std::string scheme = value.substr(0, 6);
  std::transform(scheme.begin(), scheme.end(), scheme.begin(), ::tolower);
  if (scheme != "basic ") return false;
  std::string encoded = value.substr(6);
  encoded.erase(0, encoded.find_first_not_of(' '));
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string decoded;
  unsigned bits = 0;
  int count = 0;
  for (char c : encoded) {
    if (c == '=') break;
    std::size_t v = kAlphabet.find(c);
    if (v == std::string_view::npos) return false;
    bits = (bits << 6) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      decoded.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  return decoded == "trovix:secret";
}

// The simulator's text in a named charset, or empty when iconv cannot write it.
std::string chinese_in(const std::string& charset) {
  iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in = chinese_text();
  char* src = in.data();
  std::size_t src_left = in.size();
  char out[64];
  char* dst = out;
  std::size_t dst_left = sizeof out;
  std::size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return {};
  return std::string(out, sizeof out - dst_left);
}

void echo(const httplib::Request& req, httplib::Response& res) {
  std::string text = "METHOD " + req.method + "\n" + "TARGET " + req.target + "\n";
  for (const auto& [name, value] : req.headers) {
    // cpp-httplib adds these itself; they were not sent by the client.
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
        name == "LOCAL_PORT")
      continue;
    text += "HEADER " + name + ": " + value + "\n";
  }
  text += "BODY " + std::to_string(req.body.size()) + "\n" + req.body;
  res.set_content(text, "text/plain");
}

template <typename Handler>
void on_every_method(httplib::Server& server, const std::string& pattern, Handler handler) {
  server.Get(pattern, handler);
  server.Post(pattern, handler);
  server.Put(pattern, handler);
  server.Patch(pattern, handler);
  server.Delete(pattern, handler);
  server.Options(pattern, handler);
}

}  // namespace

void register_generic_routes(httplib::Server& server, const std::string& own_base) {
  // The catalogue as plain text, so tests can say what a site must have shown:
  // "count N" then one tab-separated line per hit (index, title, time, size,
  // files, speed, popularity, info hash, magnet) for at most `limit` hits.
  server.Get("/catalogue", [](const httplib::Request& req, httplib::Response& res) {
    std::string keyword = req.get_param_value("keyword");
    int count = hit_count(keyword);
    auto first = static_cast<int>(param_number(req, "from", 0, count));
    auto limit = static_cast<int>(param_number(req, "limit", 1000, 100000));
    std::string text = "count " + std::to_string(count) + "\n";
    for (int i = first; i < count && i < first + limit; ++i) {
      Hit hit = catalogue_hit(keyword, i);
      text += std::to_string(i) + "\t" + hit.title + "\t" + hit.time + "\t" + hit.size + "\t" +
              std::to_string(hit.files) + "\t" + hit.speed + "\t" + std::to_string(hit.popularity) +
              "\t" + hit.info_hash + "\t" + hit.magnet + "\n";
    }
    res.set_content(text, "text/plain; charset=utf-8");
  });

  on_every_method(server, R"(/echo(/.*)?)", echo);

  on_every_method(server, "/page/gbk", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html><head><meta charset=gbk><title>gbk</title></head><body><p>" +
                        to_gbk(chinese_text()) + "</p></body></html>",
                    kHtml);
  });
  on_every_method(server, "/page/utf8", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "<title>utf8</title></head><body><p>" +
            chinese_text() + "</p></body></html>",
        kHtml);
  });
  on_every_method(server, "/page/late-meta", [](const httplib::Request&, httplib::Response& res) {
    std::string page = "<html><head><title>late</title>\n<!-- ";
    page += std::string(1100, '-') + " -->\n";
    page += "<meta charset=utf-8></head><body><p>" + chinese_text() + "</p></body></html>";
    res.set_content(page, kHtml);
  });
  on_every_method(server, "/page/zero", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string("before\0after", 12), kHtml);
  });
  on_every_method(server, "/page/sized", [](const httplib::Request& req, httplib::Response& res) {
    auto bytes = static_cast<std::size_t>(param_number(req, "bytes", 0, 64LL * 1024 * 1024));
    res.set_content(filler_page(bytes), kHtml);
  });
  on_every_method(server, "/page/charset", [](const httplib::Request& req, httplib::Response& res) {
    std::string name = req.get_param_value("name");
    res.set_content("<html><head><meta charset=" + name +
                        "><title>charset</title></head><body><p>charset test " + chinese_in(name) +
                        "</p></body></html>",
                    kHtml);
  });

  on_every_method(server, "/redirect",
                  [own_base](const httplib::Request& req, httplib::Response& res) {
                    std::string to = req.get_param_value("to");
                    if (to.empty()) to = "/";
                    if (to.find("://") == std::string::npos) {
                      if (to.front() != '/') to.insert(0, "/");
                      to = request_base(req, own_base) + to;
                    }
                    res.status = 302;
                    res.set_header("Location", to);
                    res.set_header("Server", "sitesim");
                    res.set_content("redirect body", "text/plain");
                  });
  on_every_method(server, "/redirect/loop",
                  [own_base](const httplib::Request& req, httplib::Response& res) {
                    res.status = 302;
                    res.set_header("Location", request_base(req, own_base) + "/redirect/loop");
                    res.set_header("Server", "sitesim");
                    res.set_content("redirect body", "text/plain");
                  });

  on_every_method(server, "/cookies/set", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "sid=abc; path=/");
    res.set_header("set-cookie", "A=1");
    res.set_content("cookies set", "text/plain");
  });
  on_every_method(server, "/cookies/delete", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "a=deleted; path=/");
    res.set_content("cookie deleted", "text/plain");
  });

  on_every_method(server, "/auth/basic", [](const httplib::Request& req, httplib::Response& res) {
    if (basic_auth_ok(req)) {
      res.set_content("auth ok", "text/plain");
      return;
    }
    res.status = 401;
    res.set_header("WWW-Authenticate", "Basic realm=\"sim\"");
    res.set_content("<h1>401</h1>", kHtml);
  });

  for (int status : {404, 500}) {
    on_every_method(server, "/status/" + std::to_string(status),
                    [status](const httplib::Request&, httplib::Response& res) {
                      res.status = status;
                      res.set_content("<h1>" + std::to_string(status) + "</h1>", kHtml);
                    });
  }

  on_every_method(server, "/fault/stall", [](const httplib::Request& req, httplib::Response& res) {
    long long seconds = param_number(req, "seconds", 10, 3600);
    sleep_unless_stopping(std::chrono::seconds(seconds));
    res.set_content("<html><body>stalled " + std::to_string(seconds) + "</body></html>", kHtml);
  });
  on_every_method(server, "/fault/cut", [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(100000, kHtml,
                             [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                               if (offset == 0) {
                                 std::string part(1000, 'x');
                                 sink.write(part.data(), part.size());
                                 return true;
                               }
                               return false;  // drops the connection mid-body
                             });
  });
  on_every_method(server, "/fault/big", [](const httplib::Request&, httplib::Response& res) {
    stream_page(res, 10u * 1024 * 1024);
  });
  on_every_method(server, "/fault/huge", [](const httplib::Request& req, httplib::Response& res) {
    auto mb = static_cast<std::size_t>(param_number(req, "mb", 100, 64 * 1024));
    stream_page(res, mb * 1024 * 1024);
  });
  on_every_method(server, "/fault/invalid-gbk",
                  [](const httplib::Request&, httplib::Response& res) {
                    res.set_content(std::string("<html><head><meta charset=gbk></head><body>") +
                                        std::string("\x81\x20\xFF\xFF"
                                                    "abc\xD6",
                                                    8),
                                    kHtml);
                  });
}

}  // namespace sitesim
