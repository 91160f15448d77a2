// The header and cookie rules of WebRequest, without a network.
#include "web/http_headers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "web/codec.h"

namespace trovix {
namespace {

constexpr std::string_view kDefaultBlock =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Cache-Control: no-cache\r\n";

TEST(BuildRequestHeaders, EmptyInputGivesTheSixDefaultsInOrder) {
  EXPECT_EQ(build_request_headers("", ""), kDefaultBlock);
}

TEST(BuildRequestHeaders, ProbesDecideWhichDefaultsAreAdded) {
  struct Case {
    std::string extra;
    std::string cookies;
    std::string expected;
  };
  const std::string ua =
      "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
  const std::string accept = "Accept: text/html, application/xhtml+xml, */*\r\n";
  const std::string rest =
      "Accept-Encoding: gbk, GB2312\r\nAccept-Language: zh-cn\r\n"
      "Content-Type: application/x-www-form-urlencoded\r\nCache-Control: no-cache\r\n";
  const std::vector<Case> cases = {
      // The User-Agent probe ignores case.
      {"user-agent: X", "", "user-agent: X\r\n" + accept + rest},
      // The Content-Type probe respects case: both lines go out.
      {"content-type: text/plain", "", "content-type: text/plain\r\n" + ua + accept + rest},
      // "Accept: " occurs inside "X-Accept: 1", so no Accept default.
      {"X-Accept: 1", "", "X-Accept: 1\r\n" + ua + rest},
      // The Content-Type probe has no space after the colon.
      {"Content-Type:text/plain", "",
       "Content-Type:text/plain\r\n" + ua + accept +
           "Accept-Encoding: gbk, GB2312\r\nAccept-Language: zh-cn\r\nCache-Control: no-cache\r\n"},
      // Cookies are appended last, unless a Cookie line (any case) is there.
      {"", "a=1; b=2", std::string(kDefaultBlock) + "Cookie: a=1; b=2\r\n"},
      {"cookie: z=9", "a=1", "cookie: z=9\r\n" + std::string(kDefaultBlock)},
      // "Set-Cookie: " contains the Cookie probe as well.
      {"Set-Cookie: q=1", "a=1", "Set-Cookie: q=1\r\n" + std::string(kDefaultBlock)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(build_request_headers(c.extra, c.cookies), c.expected) << c.extra;
  }
}

struct Scan {
  ScannedHeaders scanned;
  std::string cookies;
  std::optional<std::string> location;
};

Scan scan(std::string_view raw) {
  Scan result;
  result.scanned = scan_response_headers(raw, result.cookies, result.location);
  return result;
}

TEST(ScanResponseHeaders, StatusTextIsCutFromByteTen) {
  struct Case {
    std::string raw;
    std::string status;
  };
  const std::vector<Case> cases = {
      {"HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", "200 OK"},
      {"HTTP/1.1 302 Found\r\n\r\n", "302 Found"},
      // A protocol name of another length still cuts at byte 10.
      {"HTTP/2 200\r\n\r\n", "0"},
      // No line break at or after byte 10: empty.
      {"HTTP/1.1 200 OK", ""},
      {"HTTP/1\r\nX: 1", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(scan(c.raw).scanned.status_text, c.status) << c.raw;
}

TEST(ScanResponseHeaders, CookiesLocationAndNormalisedBlock) {
  const Scan s = scan(
      "HTTP/1.1 302 Found\r\n"
      "Set-Cookie: sid=abc; path=/\r\n"
      "set-cookie: A=1\r\n"
      "SET-COOKIE:  b=2 ;Secure\r\n"
      "location: http://first/\r\n"
      "Location: http://second/x?y=1\r\n"
      "X-Location: http://not-this/\r\n"
      "\r\n");
  EXPECT_EQ(s.cookies, "sid=abc; A=1; b=2");
  EXPECT_EQ(s.location, "http://second/x?y=1");
  EXPECT_EQ(s.scanned.normalised,
            "HTTP/1.1 302 Found\r\n"
            "Set-Cookie: sid=abc; path=/\r\n"
            "Set-Cookie: A=1\r\n"
            "Set-Cookie:  b=2 ;Secure\r\n"
            "location: http://first/\r\n"
            "Location: http://second/x?y=1\r\n"
            "X-Location: http://not-this/\r\n"
            "\r\n");
}

TEST(ScanResponseHeaders, NoCookieNoLocationLeavesThemAlone) {
  Scan s;
  s.cookies = "";
  s.scanned = scan_response_headers("HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", s.cookies, s.location);
  EXPECT_EQ(s.cookies, "");
  EXPECT_FALSE(s.location.has_value());
}

TEST(ScanResponseHeaders, GarbageBlocksDoNotBreakIt) {
  // Controls, high bytes, lines without colons and truncated text.
  for (std::string_view raw :
       {std::string_view("HTTP/1.1 200 OK\r\n\x01\x02garbage: \xff\r\nbroken\r\n\r\n"),
        std::string_view("\xff\xfe\r\n\r\n\r\n"), std::string_view("Set-Cookie"),
        std::string_view("Location: "), std::string_view("\r\n\r\nSet-Cookie:;")}) {
    const Scan s = scan(raw);
    EXPECT_LE(s.scanned.status_text.size(), raw.size());
  }
  EXPECT_EQ(scan("Location: ").location, "");
  EXPECT_EQ(scan("x\r\nSet-Cookie:;").cookies, "");
}

TEST(CookieName, TextBeforeTheFirstEqualsTrimmed) {
  EXPECT_EQ(cookie_name(" sid =abc=d"), "sid");
  EXPECT_EQ(cookie_name("flag"), "flag");
  EXPECT_EQ(cookie_name(gbk("　名字　=1")), gbk("名字"));
  EXPECT_EQ(cookie_name(""), "");
}

TEST(JoinUnique, KeepsFirstOfEachExactItem) {
  EXPECT_EQ(join_unique("a=1; b=2; a=1; A=1; b=2", "; "), "a=1; b=2; A=1");
  EXPECT_EQ(join_unique("", "; "), "");
  EXPECT_EQ(join_unique("x", "; "), "x");
}

TEST(MergeCookies, ServerCookiesFirstThenHeldOnes) {
  struct Case {
    std::string held;
    std::string set;
    std::string merged;
    std::string set_after;  // returned_cookies as written back
  };
  const std::vector<Case> cases = {
      {"a=1; b=2", "b=3", "b=3; a=1", "b=3"},
      {"a=1; b=2", "a=deleted", "b=2", "a=deleted"},
      {"a=x y", "", "a=xy", ""},
      {"a=1; a=2", "", "a=1", ""},
      {"", "", "", ""},
      {"", "sid=abc; A=1", "sid=abc; A=1", "sid=abc;A=1"},
      // Items separated by ";" alone are read too; duplicates collapse.
      {"a=1;b=2;c=3", "c=4; c=4", "c=4; a=1; b=2", "c=4;c=4"},
      // Names compare with case; a full-width space counts as a space.
      {"A=1", "a=2", "a=2; A=1", "a=2"},
      {gbk("k=　v"), "", "k=v", ""},
      {"a=1", "b=deleted; c=3", "c=3; a=1", "b=deleted;c=3"},
  };
  for (const Case& c : cases) {
    std::string held = c.held;
    std::string set = c.set;
    EXPECT_EQ(merge_cookies(held, set), c.merged) << c.held << " + " << c.set;
    EXPECT_EQ(held, c.merged);
    EXPECT_EQ(set, c.set_after);
  }
}

}  // namespace
}  // namespace trovix
