// Header-block and cookie rules of WebRequest. Every rule is a text operation
// over GBK text; nothing here touches the network.
#include "web/http_headers.h"

#include <array>
#include <vector>

#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {

namespace {

struct DefaultHeader {
  std::string_view probe;
  bool case_insensitive;
  std::string_view line;
};

// The probes are plain substring searches over the whole block, so a caller's
// "X-Accept: 1" also counts as an Accept line. Only the Content-Type probe
// respects letter case and has no space after its colon.
constexpr std::array<DefaultHeader, 6> kDefaultHeaders{{
    {"User-Agent: ", true,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"},
    {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", true, "Cache-Control: no-cache\r\n"},
}};

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kCookieSeparator = "; ";

}  // namespace

std::string build_request_headers(std::string_view extra_headers, std::string_view cookies) {
  std::string block(extra_headers);
  if (!block.empty()) block += kLineEnd;
  for (const DefaultHeader& header : kDefaultHeaders) {
    if (find_text(block, header.probe, 1, header.case_insensitive) == -1) block += header.line;
  }
  if (!cookies.empty() && find_text(block, "Cookie: ", 1, true) == -1) {
    block += "Cookie: ";
    block += cookies;
    block += kLineEnd;
  }
  return block;
}

ScannedHeaders scan_response_headers(std::string_view raw, std::string& returned_cookies,
                                     std::optional<std::string>& location) {
  ScannedHeaders scanned;
  // The status line starts with a 9-byte prefix ("HTTP/1.1 "); whatever the
  // protocol name really is, the status is cut from byte 10 to the line end.
  const int status_end = find_text(raw, kLineEnd, 10);
  scanned.status_text = text_mid(raw, 10, status_end - 10);

  scanned.normalised = replace_text(raw, "Set-Cookie", "Set-Cookie", 1, -1, false);

  bool any_cookie = false;
  for (const std::string& line : split_text(scanned.normalised, kLineEnd)) {
    if (find_text(line, "Set-Cookie") != -1) {
      // Only name=value survives: attributes after the first ";" are dropped.
      const std::string item = find_text(line, ";") != -1
                                   ? text_between(line, "Set-Cookie:", ";")
                                   : replace_text(line, "Set-Cookie:", {}, 1, -1, false);
      returned_cookies += trim_text(item);
      returned_cookies += kCookieSeparator;
      any_cookie = true;
    }
    if (to_lower(text_left(line, 10)) == "location: ") {
      location = text_mid(line, 11, text_length(line));
    }
  }
  if (any_cookie) returned_cookies.resize(returned_cookies.size() - kCookieSeparator.size());
  return scanned;
}

std::string cookie_name(std::string_view item) {
  const int equals = find_text(item, "=");
  return trim_text(equals == -1 ? item : text_left(item, equals - 1));
}

std::string join_unique(std::string_view text, std::string_view separator) {
  std::vector<std::string> kept;
  for (std::string& item : split_text(text, separator)) {
    bool seen = false;
    for (const std::string& earlier : kept) {
      if (earlier == item) {
        seen = true;
        break;
      }
    }
    if (!seen) kept.push_back(std::move(item));
  }
  std::string joined;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) joined += separator;
    joined += kept[i];
  }
  return joined;
}

std::string merge_cookies(std::string& cookies, std::string& returned_cookies) {
  cookies = remove_spaces(cookies);
  returned_cookies = remove_spaces(returned_cookies);

  // Cookies the server set come first; an old cookie survives only when no
  // item of the growing list has its name yet, so of two old items with one
  // name the first wins.
  std::vector<std::string> merged = split_text(returned_cookies, ";");
  for (std::string& old_item : split_text(cookies, ";")) {
    const std::string name = cookie_name(old_item);
    bool named = false;
    for (const std::string& item : merged) {
      if (cookie_name(item) == name) {
        named = true;
        break;
      }
    }
    if (!named) merged.push_back(std::move(old_item));
  }

  std::string text;
  for (const std::string& item : merged) {
    if (text_right(item, 8) == "=deleted") continue;
    text += item;
    text += kCookieSeparator;
  }
  text = text_left(text, text_length(text) - 2);

  cookies = join_unique(text, kCookieSeparator);
  return cookies;
}

}  // namespace trovix
