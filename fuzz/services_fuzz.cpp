// The services-file parser over arbitrary text: every problem names a line of
// the text, and a value never holds a line break or a comment after a blank.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "search/service_addresses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  trovix::ServiceAddresses addresses = trovix::default_service_addresses();
  const auto problems = trovix::parse_service_addresses(text, "fuzz.ini", addresses);
  std::size_t lines = 1;
  for (const char c : text) lines += c == '\n';
  for (const trovix::ConfigProblem& problem : problems)
    FUZZ_CHECK(problem.line >= 1 && static_cast<std::size_t>(problem.line) <= lines);
  FUZZ_CHECK(addresses.timeout_seconds >= 1 && addresses.timeout_seconds <= 86400);
  for (const std::string& site : addresses.engine) {
    FUZZ_CHECK(site.find('\n') == std::string::npos);
    FUZZ_CHECK(site.find(" ;") == std::string::npos && site.find(" #") == std::string::npos);
  }
  return 0;
}
