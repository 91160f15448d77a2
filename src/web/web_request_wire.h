// What WebRequest puts on the wire and how it reads the header block back:
// the request URL with every unsafe byte escaped, the header lines with no way
// to inject a line of their own, and the response block as GBK text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trovix {

// The URL as it goes on the wire. Controls, space, DEL, the characters a URL
// may not hold raw (" < > \ ^ ` { | }), "#" and a "%" that starts no escape are
// percent-encoded; non-ASCII (GBK) text becomes the escaped UTF-8 of that text,
// as a browser sends it; existing %XX escapes are kept. "#" is escaped rather
// than taken as the start of a fragment: addresses are built by pasting a
// keyword in, and the server is meant to see all of it.
std::string encode_request_url(std::string_view url);

struct RequestTarget {
  std::string url;  // absolute, escaped; a URL without a path asks for "/" with no query
  bool https = false;
};
// Empty when the URL cannot be split: no http/https scheme, no host, or a
// form the URL parser rejects.
std::optional<RequestTarget> split_request_url(std::string_view url);

// CR, LF and zero bytes removed (cookies, single header values).
std::string strip_line_breaks(std::string_view text);
// The caller's CRLF-separated lines with any lone CR or LF inside a line dropped.
std::string sanitise_extra_headers(std::string_view extra_headers);

// The header block as the lines handed to libcurl, in order, duplicates kept:
// empty lines skipped, "Name:" with an empty value spelled "Name;" (libcurl's
// way to send an empty header), and "Accept:"/"Expect:" added when the block
// has no such header, so libcurl sends none of its own. Empty optional when a
// line is not "name: value".
std::optional<std::vector<std::string>> header_lines(std::string_view block);

// Header bytes are ASCII almost always. A block that is valid UTF-8 with other
// characters is converted to GBK; anything else is kept byte for byte (it is
// then most likely GBK already).
std::string header_block_to_gbk(std::string_view block);

}  // namespace trovix
