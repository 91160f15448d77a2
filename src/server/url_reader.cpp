#include "server/url_reader.h"

#include <charconv>
#include <optional>

#include "server/info_page.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace trovix {

namespace {

constexpr std::string_view kNoCache = "Cache-Control: no-cache\r\nPragma: no-cache";

// The status code at the start of WebRequest's status text ("200 OK"); its own
// failure texts start with 700 … 713, which no server sends.
int status_code(std::string_view status_text) {
  int code = 0;
  const auto [end, error] = std::from_chars(
      status_text.data(), status_text.data() + std::min<std::size_t>(3, status_text.size()), code);
  if (error != std::errc() || end != status_text.data() + 3) return 0;
  return code;
}

// The Content-Length of a header block, when it announces one.
std::optional<unsigned long long> announced_length(std::string_view headers) {
  for (const std::string& line : split_text(headers, "\r\n")) {
    constexpr std::string_view name = "content-length:";
    if (line.size() <= name.size() || to_lower(line.substr(0, name.size())) != name) continue;
    const std::string value = trim_text(std::string_view(line).substr(name.size()));
    unsigned long long length = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
    if (error == std::errc() && end == value.data() + value.size()) return length;
  }
  return std::nullopt;
}

int exchange(std::string_view address, int timeout_seconds, bool no_redirect, std::string* body) {
  std::string headers;
  std::string status;
  std::string bytes;
  WebRequest(address, 0, {}, nullptr, nullptr, kNoCache, &headers, no_redirect, {}, {}, {}, {}, {},
             timeout_seconds, nullptr, &status, &bytes);
  const int code = status_code(status);
  if (body != nullptr) {
    const std::optional<unsigned long long> length = announced_length(headers);
    // A body cut short is a failed read, not a shorter page.
    if (length && bytes.size() < *length) return 0;
    *body = std::move(bytes);
  }
  return code;
}

}  // namespace

std::string read_url(std::string_view address, int timeout_seconds) {
  std::string body;
  const int code = exchange(address, timeout_seconds, false, &body);
  if (code < 200 || code > 299) return {};
  return page_text(body);
}

bool connectivity_check(std::string_view address, int timeout_seconds) {
  const int code = exchange(address, timeout_seconds, true, nullptr);
  return code >= 200 && code <= 399;
}

}  // namespace trovix
