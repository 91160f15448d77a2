// Smoke tests of the site simulator itself: the routes answer as the network
// tests expect, HTTPS verifies against its own CA, and it leaves nothing behind.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "support/sitesim_process.h"

namespace {

using trovix::testing::SiteSimulator;

struct Answer {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string headers;  // raw header lines as received
  std::string body;
};

struct Request {
  std::string url{};
  std::string post{};  // a POST when not empty
  std::vector<std::string> headers{};
  std::string ca_file{};
  std::string user{};  // "name:password" for Basic
};

size_t collect(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

Answer fetch(const Request& request) {
  Answer answer;
  CURL* curl = curl_easy_init();
  curl_slist* headers = nullptr;
  for (const std::string& h : request.headers) headers = curl_slist_append(headers, h.c_str());
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collect);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer.headers);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  if (!request.post.empty()) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.post.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.post.size()));
  }
  if (!request.ca_file.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, request.ca_file.c_str());
  if (!request.user.empty()) curl_easy_setopt(curl, CURLOPT_USERPWD, request.user.c_str());
  answer.code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return answer;
}

Answer get(const std::string& url) { return fetch({.url = url}); }

// Sends bytes to a loopback port and returns everything until the peer closes.
std::string raw_exchange(int port, const std::string& request) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, n);
  }
  ::close(fd);
  return reply;
}

std::string utf8_to_gbk(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string in = utf8;
  std::string out(in.size() * 2, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t src_left = in.size(), dst_left = out.size();
  iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  out.resize(out.size() - dst_left);
  return out;
}

// The program's reading rule for the information page: from the first marker
// to the first following terminator.
std::string value_after(const std::string& page, const std::string& marker_utf8, char terminator) {
  std::string marker = utf8_to_gbk(marker_utf8);
  size_t at = page.find(marker);
  if (at == std::string::npos) return "<missing>";
  at += marker.size();
  size_t end = page.find(terminator, at);
  if (end == std::string::npos) return "<unterminated>";
  return page.substr(at, end - at);
}

std::string percent_encode_all(const std::string& bytes) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) out += {'%', hex[c >> 4], hex[c & 15]};
  return out;
}

class SiteSimTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    curl_global_init(CURL_GLOBAL_ALL);
    sim_ = new SiteSimulator();
  }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  static std::string http(const std::string& path) { return sim_->http_base() + path; }
  static std::string h_update() { return http("/update/trovix_new.exe"); }
  static SiteSimulator* sim_;
};
SiteSimulator* SiteSimTest::sim_ = nullptr;

TEST_F(SiteSimTest, EchoListsMethodRawTargetHeadersAndBody) {
  Answer a = fetch({.url = http("/echo/a%20b/%E4%B8%AD?q=x+y&z=%2F"),
                    .post = std::string("k=v\0w", 5),
                    .headers = {"X-Trovix: one two", "Referer: http://example.invalid/"}});
  ASSERT_EQ(a.code, CURLE_OK);
  EXPECT_EQ(a.status, 200);
  EXPECT_EQ(a.body.rfind("METHOD POST\nTARGET /echo/a%20b/%E4%B8%AD?q=x+y&z=%2F\n", 0), 0u)
      << a.body;
  EXPECT_NE(a.body.find("HEADER X-Trovix: one two\n"), std::string::npos);
  EXPECT_NE(a.body.find("HEADER Referer: http://example.invalid/\n"), std::string::npos);
  EXPECT_EQ(a.body.substr(a.body.find("BODY ")), std::string("BODY 5\nk=v\0w", 12));

  Answer plain = get(http("/echo"));
  EXPECT_EQ(plain.body.rfind("METHOD GET\nTARGET /echo\n", 0), 0u) << plain.body;
}

TEST_F(SiteSimTest, HttpsVerifiesWithItsOwnCaOnly) {
  for (const std::string host : {"127.0.0.1", "localhost"}) {
    std::string url = sim_->https_base();
    url.replace(url.find("127.0.0.1"), 9, host);
    Answer verified = fetch({.url = url + "/page/utf8", .ca_file = sim_->ca_file()});
    EXPECT_EQ(verified.code, CURLE_OK) << host << ": " << curl_easy_strerror(verified.code);
    EXPECT_NE(verified.body.find("中文页面"), std::string::npos);
  }
  // Not trusted by the system's own store: a client must be given the CA.
  Answer unverified = get(sim_->https_base() + "/page/utf8");
  EXPECT_NE(unverified.code, CURLE_OK);
}

TEST_F(SiteSimTest, PagesCarryTheirCharsetsAndExactBytes) {
  const std::string gbk_text = utf8_to_gbk("中文页面");
  Answer gbk = get(http("/page/gbk"));
  EXPECT_NE(gbk.body.find("<meta charset=gbk>"), std::string::npos);
  EXPECT_NE(gbk.body.find(gbk_text), std::string::npos);

  Answer utf8 = get(http("/page/utf8"));
  EXPECT_LT(utf8.body.find("charset=utf-8"), 1024u);

  Answer late = get(http("/page/late-meta"));
  EXPECT_GT(late.body.find("charset=utf-8"), 1024u);
  EXPECT_NE(late.body.find("中文页面"), std::string::npos);

  EXPECT_EQ(get(http("/page/zero")).body, std::string("before\0after", 12));
  for (int size : {0, 5, 59, 60, 4096, 300000})
    EXPECT_EQ(get(http("/page/sized?bytes=" + std::to_string(size))).body.size(),
              static_cast<size_t>(size));

  EXPECT_NE(get(http("/page/charset?name=x-unknown-set")).body.find("<meta charset=x-unknown-set>"),
            std::string::npos);
  EXPECT_NE(get(http("/page/charset?name=gb2312")).body.find(gbk_text), std::string::npos);

  std::string invalid = get(http("/fault/invalid-gbk")).body;
  EXPECT_NE(invalid.find("charset=gbk"), std::string::npos);
  EXPECT_EQ(invalid.substr(invalid.size() - 8), std::string("\x81\x20\xFF\xFF"
                                                            "abc\xD6",
                                                            8));
}

TEST_F(SiteSimTest, StatusRedirectAndAuthRoutes) {
  struct Case {
    std::string path;
    std::string user;
    long status;
    std::string body;
  };
  const Case cases[] = {
      {"/status/404", "", 404, "<h1>404</h1>"},
      {"/status/500", "", 500, "<h1>500</h1>"},
      {"/redirect?to=/page/zero", "", 302, "redirect body"},
      {"/auth/basic", "trovix:secret", 200, "auth ok"},
      {"/auth/basic", "trovix:wrong", 401, "<h1>401</h1>"},
      {"/auth/basic", "", 401, "<h1>401</h1>"},
  };
  for (const Case& c : cases) {
    Answer a = fetch({.url = http(c.path), .user = c.user});
    EXPECT_EQ(a.status, c.status) << c.path << " " << c.user;
    EXPECT_EQ(a.body, c.body) << c.path << " " << c.user;
  }

  Answer redirect = get(http("/redirect?to=/page/zero"));
  size_t location = redirect.headers.find("Location: " + http("/page/zero") + "\r\n");
  ASSERT_NE(location, std::string::npos) << redirect.headers;
  EXPECT_LT(location, redirect.headers.find("Server: sitesim\r\n"));
  EXPECT_NE(get(http("/redirect/loop")).headers.find("Location: " + http("/redirect/loop")),
            std::string::npos);

  Answer denied = get(http("/auth/basic"));
  EXPECT_NE(denied.headers.find("WWW-Authenticate: Basic realm=\"sim\"\r\n"), std::string::npos);
}

TEST_F(SiteSimTest, CookieHeadersKeepTheirSpelling) {
  std::string set = get(http("/cookies/set")).headers;
  EXPECT_NE(set.find("\r\nSet-Cookie: sid=abc; path=/\r\n"), std::string::npos) << set;
  EXPECT_NE(set.find("\r\nset-cookie: A=1\r\n"), std::string::npos) << set;
  EXPECT_NE(get(http("/cookies/delete")).headers.find("Set-Cookie: a=deleted; path=/\r\n"),
            std::string::npos);
}

TEST_F(SiteSimTest, FaultRoutes) {
  Answer cut = get(http("/fault/cut"));
  EXPECT_EQ(cut.code, CURLE_PARTIAL_FILE);
  EXPECT_EQ(cut.body, std::string(1000, 'x'));

  Answer big = get(http("/fault/big"));
  EXPECT_EQ(big.code, CURLE_OK);
  EXPECT_EQ(big.body.size(), 10u * 1024 * 1024);
  EXPECT_EQ(big.body.rfind("<html>", 0), 0u);
  EXPECT_EQ(get(http("/fault/huge?mb=3")).body.size(), 3u * 1024 * 1024);

  Answer stall = get(http("/fault/stall?seconds=1"));
  EXPECT_EQ(stall.status, 200);
}

TEST_F(SiteSimTest, RawResponderSendsWhatHttpLibrariesWillNot) {
  const std::string get_line = " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  EXPECT_EQ(raw_exchange(sim_->raw_port(), "GET /raw/no-headers" + get_line), "just a body\n");
  EXPECT_EQ(raw_exchange(sim_->raw_port(), "GET /raw/garbage" + get_line),
            "HTTP/1.1 200 OK\r\n\x01\x02garbage: \xff\r\nbroken\r\n\r\nbody");
  EXPECT_EQ(raw_exchange(sim_->raw_port(), "GET /raw/cookies" + get_line),
            "HTTP/1.1 200 OK\r\nset-cookie: A=1\r\nSET-COOKIE: b=2; path=/\r\n"
            "Content-Length: 2\r\n\r\nok");
  std::string echo = raw_exchange(
      sim_->raw_port(),
      "PUT /echo?x=1 HTTP/1.1\r\nZ-Last: 1\r\nA-First: 2\r\nContent-Length: 2\r\n\r\nhi");
  EXPECT_NE(echo.find("METHOD PUT\nTARGET /echo?x=1\nHEADER Z-Last: 1\nHEADER A-First: 2\n"
                      "HEADER Content-Length: 2\nBODY 2\nhi"),
            std::string::npos)
      << echo;
}

TEST_F(SiteSimTest, ServicesFilePointsEverythingAtTheSimulator) {
  std::ifstream in(sim_->services_file());
  std::stringstream text;
  text << in.rdbuf();
  const std::string h = sim_->http_base();
  for (const std::string& line : std::vector<std::string>{
           "[sites]", "engine1=" + h + "/e1/", "engine3=" + h + "/e3",
           "engine6=" + sim_->https_base() + "/e6", "[server]",
           "info_page=" + h + "/qnvt/qnvt.html", "counter=" + h + "/count1/count.asp",
           "form_service=" + h + "/form", "form_token=simtoken",
           "connectivity_check=" + h + "/connectivity", "[tls]", "ca_file=" + sim_->ca_file()})
    EXPECT_NE(text.str().find(line + "\n"), std::string::npos) << line;
}

TEST_F(SiteSimTest, InformationPageValuesEndAtTheirOwnTerminators) {
  Answer page = get(http("/qnvt/qnvt.html"));
  ASSERT_EQ(page.status, 200);
  const std::string& p = page.body;
  EXPECT_EQ(value_after(p, "【最新版本号】", 'b'), "1.1.5");
  EXPECT_EQ(value_after(p, "【更新地址】", 'q'), h_update());
  EXPECT_EQ(value_after(p, "【软件名称】", 'a'), "Trovix");
  EXPECT_EQ(value_after(p, "【弹窗链接】", 'e'), "<p>" + http("/thx") + "</p>");
  EXPECT_EQ(value_after(p, "【公告链接】", '@'), http("/notice"));
  EXPECT_EQ(value_after(p, "【滚动公告】", 'o'),
            utf8_to_gbk("欢迎使用资源搜索工具，本公告来自本地模拟服务器"));
  std::string history = value_after(p, "【更新内容】", 'c');
  EXPECT_NE(history.find(utf8_to_gbk("（新增网页表格导出）")), std::string::npos);

  EXPECT_EQ(value_after(get(http("/qnvt/qnvt.html?version=1.2.0")).body, "【最新版本号】", 'b'),
            "1.2.0");

  Answer update = get(value_after(p, "【更新地址】", 'q'));
  EXPECT_EQ(update.body.size(), 1000000u);
  EXPECT_EQ(update.body.substr(0, 2), "MZ");
  EXPECT_EQ(get(h_update() + "?cut=1").code, CURLE_PARTIAL_FILE);
}

TEST_F(SiteSimTest, CounterAndConnectivity) {
  Answer counter = get(http("/count1/count.asp?id=1&sx=1&ys=43"));
  EXPECT_NE(counter.body.find(percent_encode_all(utf8_to_gbk("今天访问："))), std::string::npos);
  EXPECT_NE(counter.body.find(percent_encode_all(utf8_to_gbk("累计访问："))), std::string::npos);
  EXPECT_NE(counter.body.find("&#10;"), std::string::npos);
  EXPECT_EQ(get(http("/connectivity")).status, 200);
}

TEST_F(SiteSimTest, FormServiceAcceptsOnlyValidDocumentsWithTheToken) {
  Answer form = get(http("/form/jh3VmH"));
  EXPECT_EQ(form.status, 200);
  EXPECT_NE(form.headers.find("Set-Cookie: formsid="), std::string::npos);

  const std::string submit = http("/form/handler/web/form_runtime/handleSubmit.php");
  auto post = [&](const std::string& content, const std::string& token) {
    std::string doc = R"({"cvs":{"i":4168136,"t":"jh3VmH","s":524434083,"acc":")" + token +
                      R"(","r":"","c":{"cp":{"1172499":")" + content + R"(","200022177":"qq"}}}})";
    return fetch({.url = submit,
                  .post = "d=" + percent_encode_all(doc),
                  .headers = {"Cookie: formsid=sim1"}})
        .body;
  };
  EXPECT_NE(post("你好", "simtoken").find(R"({"r":0})"), std::string::npos);
  std::string last = get(http("/form/last")).body;
  EXPECT_NE(last.find("COOKIE formsid=sim1\n"), std::string::npos) << last;
  EXPECT_NE(last.find(R"("1172499":"你好")"), std::string::npos) << last;

  EXPECT_EQ(post(R"(say "hi")", "simtoken").find(R"({"r":0})"), std::string::npos);
  EXPECT_EQ(post("x", "othertoken").find(R"({"r":0})"), std::string::npos);
}

TEST_F(SiteSimTest, CatalogueFollowsTheTrailingDigitsRule) {
  struct Case {
    std::string keyword;
    int count;
  };
  for (const Case& c : {Case{"t45", 45}, Case{"%E4%B8%AD%E6%96%877", 7}, Case{"k0", 0},
                        Case{"x5000", 5000}, Case{"movie", 25}, Case{"a007", 7}}) {
    std::string text = get(http("/catalogue?limit=1&keyword=" + c.keyword)).body;
    EXPECT_EQ(text.substr(0, text.find('\n')), "count " + std::to_string(c.count)) << c.keyword;
  }

  std::string first = get(http("/catalogue?keyword=abc30")).body;
  EXPECT_EQ(first, get(http("/catalogue?keyword=abc30")).body) << "hits must be reproducible";
  std::istringstream lines(first);
  std::string line;
  std::getline(lines, line);
  std::set<std::string> titles, hashes;
  bool chinese = false, ascii_only = false;
  while (std::getline(lines, line)) {
    std::vector<std::string> f;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) f.push_back(cell);
    ASSERT_EQ(f.size(), 9u) << line;
    EXPECT_NE(f[1].find("abc30"), std::string::npos);
    EXPECT_EQ(f[7].size(), 40u);
    EXPECT_EQ(f[7].find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(f[8], "magnet:?xt=urn:btih:" + f[7]);
    titles.insert(f[1]);
    hashes.insert(f[7]);
    bool has_high = std::any_of(f[1].begin(), f[1].end(), [](char ch) { return ch & 0x80; });
    chinese |= has_high;
    ascii_only |= !has_high;
  }
  EXPECT_EQ(hashes.size(), 30u);
  EXPECT_GT(titles.size(), 5u);
  EXPECT_TRUE(chinese && ascii_only);
}

TEST(SiteSimProcess, StopsEvenWithAStalledRequestAndLeavesNothingBehind) {
  pid_t pid;
  std::string state_file;
  std::thread stalled;
  {
    SiteSimulator sim;
    pid = sim.pid();
    state_file = sim.ca_file();
    stalled = std::thread([url = sim.http_base() + "/fault/stall?seconds=600"] { get(url); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  stalled.join();
  EXPECT_EQ(::kill(pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
  EXPECT_FALSE(std::filesystem::exists(state_file));
}

}  // namespace
