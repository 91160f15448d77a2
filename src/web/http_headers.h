// Header-block and cookie rules of WebRequest: pure functions over GBK text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trovix {

std::string build_request_headers(std::string_view extra_headers, std::string_view cookies);

struct ScannedHeaders {
  std::string normalised;  // the block with every Set-Cookie spelled "Set-Cookie"
  std::string status_text;
};
// Appends Set-Cookie items to returned_cookies; sets location when the block
// has a "Location: " line (the last one wins).
ScannedHeaders scan_response_headers(std::string_view raw, std::string& returned_cookies,
                                     std::optional<std::string>& location);

// Updates both arguments in place and returns the merged text (the new cookies).
std::string merge_cookies(std::string& cookies, std::string& returned_cookies);
std::string cookie_name(std::string_view item);
std::string join_unique(std::string_view text, std::string_view separator);

}  // namespace trovix
