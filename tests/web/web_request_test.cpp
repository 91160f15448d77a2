// WebRequest against the site simulator (and a real forward proxy), plus the
// pure preparation of the request line and header lines.
#include "web/web_request.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "support/sitesim_process.h"
#include "web/codec.h"
#include "web/request_settings.h"
#include "web/web_request_wire.h"

extern char** environ;

namespace trovix {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// ---------------------------------------------------------------------------
// The request line and header lines, without a network.

TEST(RequestUrl, UnsafeBytesAreEscapedAndTheRestKept) {
  struct Case {
    std::string url;
    std::string wire;  // empty: cannot be split (701)
  };
  const std::vector<Case> cases = {
      {"http://h/a?b=1", "http://h/a?b=1"},
      {"https://h:8443/x/y.html", "https://h:8443/x/y.html"},
      // No path: "/" is requested and the query dropped.
      {"http://h?b=1", "http://h/"},
      {"http://h:81?b=1", "http://h:81/"},
      {"http://h", "http://h/"},
      // Keywords pasted into paths and queries.
      {"http://h/s/a b?q=a b", "http://h/s/a%20b?q=a%20b"},
      {"http://h/s?q=" + gbk("中文"), "http://h/s?q=%E4%B8%AD%E6%96%87"},
      {"http://h/s/" + gbk("中文") + "/1", "http://h/s/%E4%B8%AD%E6%96%87/1"},
      {"http://h/s?q=x\r\nInjected: 1", "http://h/s?q=x%0D%0AInjected:%201"},
      {"http://h/s?q=#&p=2", "http://h/s?q=%23&p=2"},
      {"http://h/s/C#/2", "http://h/s/C%23/2"},
      {"http://h/s?q=?&p=2", "http://h/s?q=?&p=2"},
      {"http://h/s?q=%&p=%4", "http://h/s?q=%25&p=%254"},
      {"http://h/s?q=%41%e4", "http://h/s?q=%41%e4"},
      {"http://h/s?q=\"<x>\"|{}^`\\", "http://h/s?q=%22%3Cx%3E%22%7C%7B%7D%5E%60%5C"},
      {std::string("http://h/s?q=a\0b\x7f\t", 18), "http://h/s?q=a%00b%7F%09"},
      // A GBK character whose trail byte is "\" (0x5C) stays one character.
      {"http://h/s?q=" + gbk("圽"), "http://h/s?q=%E5%9C%BD"},
      // Dot segments are sent as built, never resolved away.
      {"http://h/zh/../_1", "http://h/zh/../_1"},
      {"http://h/s/./a/..", "http://h/s/./a/.."},
      // Cannot be split.
      {"", ""},
      {"not a url", ""},
      {"ftp://h/file", ""},
      {"http://", ""},
      {"http://h:99999/", ""},
      {"http://bad host/", ""},
  };
  for (const Case& c : cases) {
    const std::optional<RequestTarget> target = split_request_url(c.url);
    EXPECT_EQ(target ? target->url : "", c.wire) << c.url;
  }
  EXPECT_TRUE(split_request_url("HTTPS://h/")->https);
  EXPECT_FALSE(split_request_url("http://h/")->https);
}

TEST(HeaderLines, BlockBecomesTheLinesSentAndNothingElse) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(header_lines("A: 1\r\nA: 2\r\n"), (Lines{"A: 1", "A: 2", "Accept:", "Expect:"}));
  EXPECT_EQ(header_lines("accept: x\r\nEXPECT: y\r\n"), (Lines{"accept: x", "EXPECT: y"}));
  // An empty value is kept as an empty header, not dropped.
  EXPECT_EQ(header_lines("X-Empty:\r\nX-Blank:  \r\nAccept: a\r\nExpect: e\r\n"),
            (Lines{"X-Empty;", "X-Blank;", "Accept: a", "Expect: e"}));
  // Empty lines would end the header block early: skipped.
  EXPECT_EQ(header_lines("\r\n\r\nA: 1\r\n\r\n"), (Lines{"A: 1", "Accept:", "Expect:"}));
  // A lone CR or LF cannot split a line.
  EXPECT_EQ(header_lines("A: 1\rB: 2\nC: 3\r\n"), (Lines{"A: 1B: 2C: 3", "Accept:", "Expect:"}));
  EXPECT_EQ(header_lines("no colon here\r\n"), std::nullopt);
  EXPECT_EQ(header_lines(": value\r\n"), std::nullopt);
  EXPECT_EQ(sanitise_extra_headers("A: 1\r2\r\nB: \n3"), "A: 12\r\nB: 3");
}

TEST(HeaderBlockToGbk, Utf8IsConvertedOtherBytesKept) {
  EXPECT_EQ(header_block_to_gbk("HTTP/1.1 200 OK\r\n\r\n"), "HTTP/1.1 200 OK\r\n\r\n");
  EXPECT_EQ(header_block_to_gbk("X: 中文\r\n"), "X: " + gbk("中文") + "\r\n");
  EXPECT_EQ(header_block_to_gbk("X: " + gbk("中文") + "\r\n"), "X: " + gbk("中文") + "\r\n");
  EXPECT_EQ(header_block_to_gbk("X: \xff\xe4\r\n"), "X: \xff\xe4\r\n");
}

// ---------------------------------------------------------------------------
// Against the simulator.

// The raw responder's /echo, read back: the request exactly as it arrived.
struct Echo {
  std::string method;
  std::string target;
  std::vector<std::string> headers;  // "Name: value", in the order received
  std::string body;

  bool has_header_starting(std::string_view prefix) const {
    for (const std::string& h : headers) {
      if (h.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
};

Echo parse_echo(const std::string& text) {
  Echo echo;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end == std::string::npos ? end : end - at);
    at = end == std::string::npos ? text.size() : end + 1;
    if (line.rfind("METHOD ", 0) == 0) echo.method = line.substr(7);
    if (line.rfind("TARGET ", 0) == 0) echo.target = line.substr(7);
    if (line.rfind("HEADER ", 0) == 0) echo.headers.push_back(line.substr(7));
    if (line.rfind("BODY ", 0) == 0) {
      echo.body = text.substr(at);
      break;
    }
  }
  return echo;
}

class WebRequestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = new testing::SiteSimulator(); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  void SetUp() override { set_web_ca_file(sim_->ca_file()); }

  static std::string http(std::string_view path) { return sim_->http_base() + std::string(path); }
  static std::string https(std::string_view path) { return sim_->https_base() + std::string(path); }
  static std::string raw(std::string_view path) {
    return "http://127.0.0.1:" + std::to_string(sim_->raw_port()) + std::string(path);
  }

  static testing::SiteSimulator* sim_;
};
testing::SiteSimulator* WebRequestTest::sim_ = nullptr;

TEST_F(WebRequestTest, MethodChoosesTheVerbAndTheBodyIsAlwaysSent) {
  struct Case {
    int method;
    std::string body;
    std::string verb;
  };
  const std::vector<Case> cases = {
      {0, "", "GET"},  {1, "keyword=a", "POST"}, {3, "x=1", "PUT"}, {7, "", "GET"},
      {-1, "", "GET"}, {0, "hello", "GET"},      {1, "", "POST"},   {3, "", "PUT"},
  };
  for (const Case& c : cases) {
    std::string status;
    const Echo echo =
        parse_echo(WebRequest(raw("/echo"), c.method, c.body, nullptr, nullptr, {}, nullptr, false,
                              {}, {}, {}, {}, {}, 5, nullptr, &status));
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(echo.method, c.verb) << c.method;
    EXPECT_EQ(echo.body, c.body) << c.method;
  }
  // HEAD reads no body.
  std::string status;
  std::string bytes;
  EXPECT_EQ(WebRequest(raw("/echo"), 2, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {},
                       {}, 5, nullptr, &status, &bytes),
            "");
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(bytes, "");
}

TEST_F(WebRequestTest, HeaderBlockIsWhatGoesOnTheWire) {
  // A body over 1 KiB would make libcurl add "Expect: 100-continue" by itself.
  const std::string body(3000, 'b');
  std::string cookies = "sid=1; a=2";
  const Echo echo =
      parse_echo(WebRequest(raw("/echo"), 1, body, &cookies, nullptr,
                            "X-One: 1\nInjected: 1\r\nX-Empty:\r\naccept-language: en"));
  const std::vector<std::string> expected = {
      "X-One: 1Injected: 1",
      "X-Empty: ",
      "accept-language: en",
      "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
      "Accept: text/html, application/xhtml+xml, */*",
      "Accept-Encoding: gbk, GB2312",
      "Content-Type: application/x-www-form-urlencoded",
      "Cache-Control: no-cache",
      "Cookie: sid=1; a=2",
  };
  std::vector<std::string> sent;
  for (const std::string& h : echo.headers) {
    if (h.rfind("Host: ", 0) != 0 && h.rfind("Content-Length: ", 0) != 0) sent.push_back(h);
  }
  EXPECT_EQ(sent, expected);
  EXPECT_EQ(echo.body, body);

  // A line that is not "name: value" is refused before anything is sent.
  std::string status = "unchanged";
  EXPECT_EQ(WebRequest(raw("/echo"), 0, {}, nullptr, nullptr, "not a header", nullptr, false, {},
                       {}, {}, {}, {}, 5, nullptr, &status),
            "");
  EXPECT_EQ(status, gbk("710 设置协议头失败!"));
}

TEST_F(WebRequestTest, KeywordBytesNeverReachTheWireRaw) {
  struct Case {
    std::string keyword;
    std::string sent;
  };
  const std::vector<Case> cases = {
      {"a b", "a%20b"},
      {gbk("中文"), "%E4%B8%AD%E6%96%87"},
      {"x\r\nInjected: 1", "x%0D%0AInjected:%201"},
      {"#", "%23"},
      {"?", "?"},
      {"%", "%25"},
      {"..", ".."},
      {"../..", "../.."},
      {"./x/../y", "./x/../y"},
  };
  for (const Case& c : cases) {
    std::string cookies = "c=" + c.keyword;
    const Echo echo =
        parse_echo(WebRequest(raw("/echo/" + c.keyword + "?q=" + c.keyword), 0, {}, &cookies));
    EXPECT_EQ(echo.target, "/echo/" + c.sent + "?q=" + c.sent) << c.keyword;
    EXPECT_FALSE(echo.has_header_starting("Injected")) << c.keyword;
  }
}

TEST_F(WebRequestTest, RedirectIsFollowedOrReturned) {
  const std::string target = http("/page/zero");
  std::string headers;
  std::string location = "untouched";
  std::string status;
  std::string bytes;
  EXPECT_EQ(WebRequest(http("/redirect?to=/page/zero"), 0, {}, nullptr, nullptr, {}, &headers, true,
                       {}, {}, {}, {}, {}, 5, &location, &status, &bytes),
            "redirect body");
  EXPECT_EQ(location, target);
  EXPECT_EQ(status, "302 Found");
  EXPECT_EQ(headers.rfind("HTTP/1.1 302 Found\r\n", 0), 0u);

  // Followed: only the final response's block is kept.
  location = "untouched";
  EXPECT_EQ(WebRequest(http("/redirect?to=/page/zero"), 0, {}, nullptr, nullptr, {}, &headers,
                       false, {}, {}, {}, {}, {}, 5, &location, &status, &bytes),
            "before");
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(location, "untouched");
  EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_EQ(headers.find("302"), std::string::npos);
  EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");

  // A loop ends at the hop cap.
  EXPECT_EQ(WebRequest(http("/redirect/loop"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                       {}, {}, {}, 5, nullptr, &status),
            "");
  EXPECT_EQ(status, gbk("712 服务器未响应!"));
}

TEST_F(WebRequestTest, DeclaredCharsetDecidesTheConversion) {
  struct Case {
    std::string path;
    bool converted;  // false: the text is the body bytes as received
  };
  const std::string long_name(200, 'q');
  const std::vector<Case> cases = {
      {"/page/utf8", true},
      {"/page/charset?name=gb18030", true},
      {"/page/charset?name=UTF-8", true},
      {"/page/gbk", false},
      {"/page/charset?name=gb2312", false},
      {"/page/late-meta", false},
      {"/page/charset?name=" + long_name, false},
      {"/fault/invalid-gbk", false},
  };
  for (const Case& c : cases) {
    for (const std::string& url : {http(c.path), https(c.path)}) {
      std::string bytes;
      const std::string text = WebRequest(url, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                                          {}, {}, {}, 5, nullptr, nullptr, &bytes);
      ASSERT_FALSE(bytes.empty()) << url;
      if (c.converted) {
        EXPECT_NE(text.find(gbk("中文页面")), std::string::npos) << url;
      } else {
        EXPECT_EQ(text, bytes) << url;
      }
    }
  }
}

TEST_F(WebRequestTest, ZeroByteEndsTheTextNotTheBytes) {
  std::string bytes;
  EXPECT_EQ(WebRequest(http("/page/zero"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                       {}, {}, 5, nullptr, nullptr, &bytes),
            "before");
  EXPECT_EQ(bytes, std::string("before\0after", 12));
}

TEST_F(WebRequestTest, FailuresGiveEmptyTextAndTheirNumber) {
  struct Case {
    std::string url;
    std::string status;
  };
  const std::vector<Case> cases = {
      {"", gbk("701 解析URL地址失败!")},
      {"http://", gbk("701 解析URL地址失败!")},
      {"127.0.0.1/page/gbk", gbk("701 解析URL地址失败!")},
      {"ftp://127.0.0.1/", gbk("701 解析URL地址失败!")},
      // Nothing listens on port 1.
      {"http://127.0.0.1:1/", gbk("711 发送请求失败!")},
      // The raw responder's malformed answers never make a response.
      {raw("/raw/no-headers"), gbk("712 服务器未响应!")},
      {raw("/raw/garbage"), gbk("712 服务器未响应!")},
  };
  for (const Case& c : cases) {
    std::string cookies = "kept=1";
    std::string returned = "r";
    std::string headers = "h";
    std::string location = "l";
    std::string status;
    std::string bytes = "b";
    EXPECT_EQ(WebRequest(c.url, 0, {}, &cookies, &returned, {}, &headers, false, {}, {}, {}, {}, {},
                         5, &location, &status, &bytes),
              "")
        << c.url;
    EXPECT_EQ(status, c.status) << c.url;
    // Nothing else is written when the response could not be read.
    EXPECT_EQ(cookies + returned + headers + location + bytes, "kept=1rhlb") << c.url;
  }
}

TEST_F(WebRequestTest, ErrorStatusIsAnAnswer) {
  std::string status;
  EXPECT_EQ(WebRequest(http("/status/404"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                       {}, {}, 5, nullptr, &status),
            "<h1>404</h1>");
  EXPECT_EQ(status, "404 Not Found");
  EXPECT_EQ(WebRequest(https("/status/500"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                       {}, {}, {}, 5, nullptr, &status),
            "<h1>500</h1>");
  EXPECT_EQ(status, "500 Internal Server Error");
}

TEST_F(WebRequestTest, CookieTextIsMergedAcrossCalls) {
  struct Case {
    std::string url;
    std::string held;
    std::string merged;
    std::string returned;
  };
  const std::vector<Case> cases = {
      {http("/cookies/set"), "a=1; sid=old", "sid=abc; A=1; a=1", "sid=abc;A=1"},
      {http("/cookies/delete"), "a=1; b=2", "b=2", "a=deleted"},
      {raw("/raw/cookies"), "", "A=1; b=2", "A=1;b=2"},
      {http("/page/gbk"), "x = 1", "x=1", ""},
  };
  for (const Case& c : cases) {
    std::string cookies = c.held;
    std::string returned;
    WebRequest(c.url, 0, {}, &cookies, &returned);
    EXPECT_EQ(cookies, c.merged) << c.url;
    EXPECT_EQ(returned, c.returned) << c.url;
  }
  // Without the in/out argument the returned items keep their spaces, and the
  // normalised block spells every Set-Cookie alike.
  std::string returned;
  std::string headers;
  WebRequest(raw("/raw/cookies"), 0, {}, nullptr, &returned, {}, &headers);
  EXPECT_EQ(returned, "A=1; b=2");
  EXPECT_NE(headers.find("Set-Cookie: A=1\r\nSet-Cookie: b=2; path=/\r\n"), std::string::npos);

  // The merged text is what the next request sends.
  std::string cookies = "a=1";
  WebRequest(http("/cookies/set"), 0, {}, &cookies);
  const Echo echo = parse_echo(WebRequest(raw("/echo"), 0, {}, &cookies));
  EXPECT_TRUE(echo.has_header_starting("Cookie: sid=abc; A=1; a=1"));
}

TEST_F(WebRequestTest, StalledServerEndsAfterTheTimeout) {
  // A POST body sent at once does not buy the silent server more time.
  for (const auto& [method, body] : {std::pair{0, ""}, std::pair{1, "keyword=abc"}}) {
    SCOPED_TRACE(method);
    std::string status;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(WebRequest(http("/fault/stall?seconds=20"), method, body, nullptr, nullptr, {},
                         nullptr, false, {}, {}, {}, {}, {}, 1, nullptr, &status),
              "");
    const double elapsed = seconds_since(start);
    EXPECT_EQ(status, gbk("712 服务器未响应!"));
    EXPECT_GE(elapsed, 0.9);
    EXPECT_LE(elapsed, 2.5);
  }
}

// The thread's settings: their time-out serves calls that name none, their
// observer sees every exchange; scopes nest, and another thread has its own.
TEST_F(WebRequestTest, ThreadSettingsGiveTheTimeoutAndSeeEveryExchange) {
  struct Seen {
    std::string method, url, status;
  };
  std::vector<Seen> seen;
  RequestSettings settings;
  settings.default_timeout_seconds = 1;
  settings.observer = std::make_shared<const RequestObserver>([&](const RequestRecord& r) {
    seen.push_back({std::string(r.method), std::string(r.url), std::string(r.status)});
  });
  {
    ScopedRequestSettings scope(settings);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(WebRequest(http("/fault/stall?seconds=20")), "");
    EXPECT_LE(seconds_since(start), 3.0);
    WebRequest(http("/status/404"), 1);
    {
      ScopedRequestSettings inner(RequestSettings{});
      WebRequest(http("/page/gbk"));  // not observed
      EXPECT_EQ(current_request_settings().default_timeout_seconds, 0);
    }
    std::string status = "left alone";
    WebRequest("no url", 3, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 0,
               nullptr, &status);
    EXPECT_EQ(status, gbk("701 解析URL地址失败!"));
    std::thread([] { EXPECT_FALSE(current_request_settings().observer); }).join();
  }
  EXPECT_FALSE(current_request_settings().observer);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].url, http("/fault/stall?seconds=20"));
  EXPECT_EQ(seen[0].status, gbk("712 服务器未响应!"));
  EXPECT_EQ(seen[1].method, "POST");
  EXPECT_EQ(seen[1].status, "404 Not Found");
  EXPECT_EQ(seen[2].method, "PUT");
  EXPECT_EQ(seen[2].status, gbk("701 解析URL地址失败!"));
}

TEST_F(WebRequestTest, CutConnectionKeepsWhatArrived) {
  std::string status;
  std::string bytes;
  const std::string text = WebRequest(http("/fault/cut"), 0, {}, nullptr, nullptr, {}, nullptr,
                                      false, {}, {}, {}, {}, {}, 5, nullptr, &status, &bytes);
  EXPECT_EQ(text, std::string(1000, 'x'));
  EXPECT_EQ(bytes, text);
  // The read failure is overwritten by the response's own status.
  EXPECT_EQ(status, "200 OK");
}

TEST_F(WebRequestTest, LargeBodiesWholeUpToTheCap) {
  std::string bytes;
  EXPECT_EQ(WebRequest(http("/fault/big"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                       {}, {}, 5, nullptr, nullptr, &bytes)
                .size(),
            10u * 1024 * 1024);
  EXPECT_EQ(bytes.size(), 10u * 1024 * 1024);

  std::string status;
  const std::string text =
      WebRequest(http("/fault/huge?mb=50"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                 {}, {}, 5, nullptr, &status, &bytes);
  EXPECT_EQ(bytes.size(), 32u * 1024 * 1024);
  EXPECT_EQ(text.size(), bytes.size());
  EXPECT_EQ(status, "200 OK");
}

TEST_F(WebRequestTest, OddSizedUrlsAreHandled) {
  // 100 KB of query: sent whole, and the server's answer comes back.
  std::string status;
  WebRequest(http("/echo?q=" + std::string(100 * 1024, 'k')), 0, {}, nullptr, nullptr, {}, nullptr,
             false, {}, {}, {}, {}, {}, 5, nullptr, &status);
  EXPECT_EQ(status.substr(0, 3), "414");
}

TEST_F(WebRequestTest, CertificatesAreAlwaysChecked) {
  std::string status;
  set_web_ca_file({});
  EXPECT_EQ(WebRequest(https("/page/gbk"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                       {}, {}, 5, nullptr, &status),
            "");
  EXPECT_EQ(status, gbk("711 发送请求失败!"));

  set_web_ca_file(sim_->ca_file());
  EXPECT_NE(WebRequest(https("/page/gbk"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                       {}, {}, 5, nullptr, &status)
                .find(gbk("中文页面")),
            std::string::npos);
  EXPECT_EQ(status, "200 OK");
}

TEST_F(WebRequestTest, ServerCredentialsOnlyWhenBothGiven) {
  struct Case {
    std::string user;
    std::string password;
    std::string status;
  };
  const std::vector<Case> cases = {
      {"trovix", "secret", "200 OK"},
      {"trovix", "wrong", "401 Unauthorized"},
      {"trovix", "", "401 Unauthorized"},
      {"", "secret", "401 Unauthorized"},
  };
  for (const Case& c : cases) {
    std::string status;
    WebRequest(http("/auth/basic"), 0, {}, nullptr, nullptr, {}, nullptr, false, c.user, c.password,
               {}, {}, {}, 5, nullptr, &status);
    EXPECT_EQ(status, c.status) << c.user << ":" << c.password;
  }
}

TEST_F(WebRequestTest, SupersededRequestEndsAtOnce) {
  std::stop_source stop;
  std::string text = "unset";
  std::string status;
  std::thread worker([&] {
    ScopedRequestCancel cancel(stop.get_token());
    text = WebRequest(http("/fault/stall?seconds=20"), 0, {}, nullptr, nullptr, {}, nullptr, false,
                      {}, {}, {}, {}, {}, 30, nullptr, &status);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const Clock::time_point start = Clock::now();
  stop.request_stop();
  worker.join();
  EXPECT_LT(seconds_since(start), 2.0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(status, gbk("711 发送请求失败!"));

  // A token already stopped sends nothing; once the scope ends, requests run again.
  {
    ScopedRequestCancel cancel(stop.get_token());
    EXPECT_EQ(WebRequest(http("/page/gbk")), "");
    // Handed to another thread, the token stops that thread's requests too.
    std::thread([token = current_request_cancel()] {
      ScopedRequestCancel there(token);
      EXPECT_EQ(WebRequest(http("/page/gbk")), "");
    }).join();
  }
  EXPECT_NE(WebRequest(http("/page/gbk")), "");
}

TEST_F(WebRequestTest, ConnectionLeftIdleByTheServerIsNotAFailure) {
  // The simulator drops idle keep-alive connections after 2 s; the next call
  // of this thread must not trip over the dead one.
  ASSERT_EQ(WebRequest(http("/page/gbk")).find("<html>"), 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  std::string status;
  EXPECT_EQ(WebRequest(http("/page/gbk"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {},
                       {}, {}, 5, nullptr, &status)
                .find("<html>"),
            0u);
  EXPECT_EQ(status, "200 OK");
}

TEST_F(WebRequestTest, ThreadsRequestAtTheSameTime) {
  std::vector<std::thread> threads;
  std::vector<int> converted(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) {
        const std::string url = (i % 2 == 0 ? http("/page/utf8") : https("/page/utf8"));
        if (WebRequest(url).find(gbk("中文页面")) != std::string::npos) ++converted[t];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(converted, std::vector<int>(4, 5));
}

// ---------------------------------------------------------------------------
// Through a real forward proxy (Debian's tinyproxy) on a free loopback port.

int free_loopback_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

bool port_accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

// Sets an environment variable for one scope and restores it afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (old_) {
      ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class Tinyproxy {
 public:
  static constexpr const char* kBinary = "/usr/bin/tinyproxy";

  explicit Tinyproxy(bool with_auth) {
    port_ = free_loopback_port();
    config_ = "/tmp/trovix-tinyproxy-" + std::to_string(::getpid()) + "-" + std::to_string(port_) +
              ".conf";
    std::ofstream(config_) << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\n"
                           << "Allow 127.0.0.1\nMaxClients 20\nLogLevel Critical\n"
                           << (with_auth ? "BasicAuth trovix secret\n" : "");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {kBinary, "-d", "-c", config_.c_str(), nullptr};
    if (posix_spawn(&pid_, kBinary, &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; pid_ > 0 && i < 100 && !port_accepts(port_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~Tinyproxy() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    std::remove(config_.c_str());
  }
  Tinyproxy(const Tinyproxy&) = delete;
  Tinyproxy& operator=(const Tinyproxy&) = delete;

  bool running() const { return pid_ > 0 && port_accepts(port_); }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string config_;
};

TEST_F(WebRequestTest, GoesThroughAForwardProxy) {
  if (::access(Tinyproxy::kBinary, X_OK) != 0) GTEST_SKIP() << "tinyproxy is not installed";
  Tinyproxy proxy(false);
  ASSERT_TRUE(proxy.running());
  std::string status;
  const Echo echo =
      parse_echo(WebRequest(raw("/echo?via=proxy"), 0, {}, nullptr, nullptr, {}, nullptr, false, {},
                            {}, proxy.address(), {}, {}, 5, nullptr, &status));
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(echo.target, "/echo?via=proxy");
  EXPECT_TRUE(echo.has_header_starting("Via: "));

  // A proxy given to the call is used for every address, whatever the
  // environment's exceptions say.
  for (const char* name : {"NO_PROXY", "no_proxy"}) {
    SCOPED_TRACE(name);
    ScopedEnvironment exception(name, "127.0.0.1,localhost,*");
    const Echo bypassed =
        parse_echo(WebRequest(raw("/echo?via=proxy"), 0, {}, nullptr, nullptr, {}, nullptr, false,
                              {}, {}, proxy.address(), {}, {}, 5));
    EXPECT_TRUE(bypassed.has_header_starting("Via: "));
  }

  // HTTPS is tunnelled; the certificate is still checked end to end.
  EXPECT_NE(WebRequest(https("/page/gbk"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {},
                       proxy.address(), {}, {}, 5)
                .find(gbk("中文页面")),
            std::string::npos);
}

TEST_F(WebRequestTest, ProxyCredentialsOnlyWhenBothGiven) {
  if (::access(Tinyproxy::kBinary, X_OK) != 0) GTEST_SKIP() << "tinyproxy is not installed";
  Tinyproxy proxy(true);
  ASSERT_TRUE(proxy.running());
  struct Case {
    std::string user;
    std::string password;
    std::string status_code;
  };
  const std::vector<Case> cases = {
      {"trovix", "secret", "200"},
      {"", "", "407"},
      {"trovix", "", "407"},
  };
  for (const Case& c : cases) {
    std::string status;
    WebRequest(raw("/echo"), 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, proxy.address(),
               c.user, c.password, 5, nullptr, &status);
    EXPECT_EQ(status.substr(0, 3), c.status_code) << c.user << ":" << c.password;
  }
}

}  // namespace
}  // namespace trovix
