// Response-header scanning and cookie merging over arbitrary header blocks and
// cookie texts, and the request side that must never let a line break or a
// raw unsafe byte through to the wire, whatever the caller passes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "web/http_headers.h"
#include "web/text_ops.h"
#include "web/web_request_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::string cookies = input.ConsumeRandomLengthString(128);
  const std::string extra_headers = input.ConsumeRandomLengthString(256);
  const std::string url = input.ConsumeRandomLengthString(256);
  const std::string block = input.ConsumeRemainingBytesAsString();

  // The response side.
  std::string returned;
  std::optional<std::string> location;
  const trovix::ScannedHeaders scanned = trovix::scan_response_headers(block, returned, location);
  FUZZ_CHECK(scanned.normalised.size() == block.size());
  (void)trovix::header_block_to_gbk(block);
  std::string held = cookies;
  const std::string merged = trovix::merge_cookies(held, returned);
  FUZZ_CHECK(merged == held);
  // No space character is left (a 0x20 byte may still trail a lead byte).
  FUZZ_CHECK(trovix::remove_spaces(returned) == returned);
  (void)trovix::cookie_name(cookies);

  // The request side: no header line can carry a line break or a zero byte.
  const std::string request = trovix::build_request_headers(
      trovix::sanitise_extra_headers(extra_headers), trovix::strip_line_breaks(cookies));
  if (const auto lines = trovix::header_lines(request)) {
    for (const std::string& line : *lines) {
      FUZZ_CHECK(!line.empty());
      FUZZ_CHECK(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    }
  }
  // The request URL: every byte printable ASCII.
  for (const char c : trovix::encode_request_url(url))
    FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F);
  if (const auto target = trovix::split_request_url(url)) {
    for (const char c : target->url)
      FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F);
  }
  return 0;
}
