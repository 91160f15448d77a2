// Preparing the request line and header lines for the wire, and reading the
// response header block back as GBK.
#include "web/web_request_wire.h"

#include <curl/curl.h>

#include <memory>

#include "web/codec.h"

namespace trovix {

namespace {

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlStringDeleter {
  void operator()(char* text) const { curl_free(text); }
};
using CurlString = std::unique_ptr<char, CurlStringDeleter>;

bool is_hex_digit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

void append_escape(std::string& out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += '%';
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

// Bytes that may not stand raw in a URL: controls, space, DEL, and the
// characters RFC 3986 leaves out. "#" and a "%" that starts no escape are in
// the list too (see encode_request_url).
bool must_escape(unsigned char c) {
  if (c <= 0x20 || c == 0x7F) return true;
  switch (c) {
    case '"':
    case '<':
    case '>':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
    case '#':
      return true;
    default:
      return false;
  }
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(text[i]);
    unsigned char b = static_cast<unsigned char>(prefix[i]);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

bool valid_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace

std::string encode_request_url(std::string_view url) {
  std::string out;
  out.reserve(url.size());
  std::size_t i = 0;
  while (i < url.size()) {
    const unsigned char c = static_cast<unsigned char>(url[i]);
    if (c >= 0x80) {
      // A run of two-byte GBK characters (a trail byte may lie in the ASCII
      // range) goes out as the percent-escaped UTF-8 of that text.
      const std::size_t run_start = i;
      while (i < url.size() && static_cast<unsigned char>(url[i]) >= 0x80) {
        const unsigned char lead = static_cast<unsigned char>(url[i]);
        const bool two_bytes = lead >= 0x81 && lead <= 0xFE && i + 1 < url.size();
        i += two_bytes ? 2 : 1;
      }
      const std::string_view run = url.substr(run_start, i - run_start);
      const std::string utf8 = gbk_to_utf8(run);
      for (char byte : utf8.empty() ? std::string(run) : utf8) {
        append_escape(out, static_cast<unsigned char>(byte));
      }
      continue;
    }
    if (c == '%' && i + 2 < url.size() && is_hex_digit(static_cast<unsigned char>(url[i + 1])) &&
        is_hex_digit(static_cast<unsigned char>(url[i + 2]))) {
      out.append(url.substr(i, 3));
      i += 3;
      continue;
    }
    if (c == '%' || must_escape(c)) {
      append_escape(out, c);
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

std::optional<RequestTarget> split_request_url(std::string_view raw_url) {
  const std::string encoded = encode_request_url(raw_url);
  std::unique_ptr<CURLU, UrlDeleter> handle(curl_url());
  if (!handle || encoded.empty()) return std::nullopt;
  // The path goes out as built: a keyword holding "../" must not make the
  // parser resolve the dot segments into another path.
  if (curl_url_set(handle.get(), CURLUPART_URL, encoded.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
    return std::nullopt;
  }
  char* part = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_SCHEME, &part, 0) != CURLUE_OK) return std::nullopt;
  const CurlString scheme(part);
  const std::string_view scheme_name(scheme.get());
  if (scheme_name != "http" && scheme_name != "https") return std::nullopt;
  part = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_HOST, &part, 0) != CURLUE_OK) return std::nullopt;
  const CurlString host(part);
  if (host == nullptr || *host == '\0') return std::nullopt;

  // A URL without a path requests "/" and drops its query. curl would keep
  // the query, so the empty path is detected on the text itself: the
  // authority ends at the first "/" or "?" after "://".
  const std::size_t authority = encoded.find("://");
  if (authority != std::string::npos) {
    const std::size_t after = encoded.find_first_of("/?", authority + 3);
    if (after != std::string::npos && encoded[after] == '?') {
      curl_url_set(handle.get(), CURLUPART_QUERY, nullptr, 0);
    }
  }
  part = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_URL, &part, 0) != CURLUE_OK) return std::nullopt;
  const CurlString full(part);
  return RequestTarget{std::string(full.get()), scheme_name == "https"};
}

std::string strip_line_breaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r' && c != '\n' && c != '\0') out += c;
  }
  return out;
}

std::string sanitise_extra_headers(std::string_view extra_headers) {
  std::string out;
  std::size_t start = 0;
  while (start <= extra_headers.size()) {
    std::size_t end = extra_headers.find("\r\n", start);
    if (end == std::string_view::npos) end = extra_headers.size();
    if (start > 0) out += "\r\n";
    out += strip_line_breaks(extra_headers.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

std::optional<std::vector<std::string>> header_lines(std::string_view block) {
  std::vector<std::string> lines;
  bool has_accept = false;
  bool has_expect = false;
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    if (end == std::string_view::npos) end = block.size();
    // A lone CR or LF would end the line on the wire and start another.
    std::string line = strip_line_breaks(block.substr(start, end - start));
    start = end + 2;
    if (line.empty()) continue;
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string::npos) return std::nullopt;
    has_accept = has_accept || starts_with_ignoring_case(line, "Accept:");
    has_expect = has_expect || starts_with_ignoring_case(line, "Expect:");
    if (line.find_first_not_of(' ', colon + 1) == std::string::npos) {
      line.resize(colon);
      line += ';';
    }
    lines.push_back(std::move(line));
  }
  if (!has_accept) lines.emplace_back("Accept:");
  if (!has_expect) lines.emplace_back("Expect:");
  return lines;
}

std::string header_block_to_gbk(std::string_view block) {
  bool ascii = true;
  for (char c : block) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (!ascii && valid_utf8(block)) return utf8_to_gbk(block);
  return std::string(block);
}

}  // namespace trovix
