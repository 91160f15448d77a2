// RegexMatcher over arbitrary pages with each engine's real patterns (and the
// charset pattern), on the JIT and on the interpreter, reading every group of
// the matches an engine reads; now and then with a pattern from the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "search/engine_patterns.h"
#include "web/regex_matcher.h"

namespace {

const std::string& pattern_number(int n) {
  static const std::string charset(trovix::kCharsetPattern);
  switch (n) {
    case 0:
      return trovix::engine1_result_pattern();
    case 1:
      return trovix::engine2_result_pattern();
    case 2:
      return trovix::engine3_link_pattern();
    case 3:
      return trovix::engine3_facts_pattern();
    case 4:
      return trovix::engine4_facts_pattern();
    case 5:
      return trovix::engine4_title_pattern();
    case 6:
      return trovix::engine5_result_pattern();
    case 7:
      return trovix::engine6_file_pattern();
    case 8:
      return trovix::engine6_time_pattern();
    default:
      return charset;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The last byte picks the pattern (10: one from the input), the one before
  // it the runtime and the options; the rest is the page.
  FuzzedDataProvider input(data, size);
  const int which = input.ConsumeIntegralInRange<int>(0, 10);
  const auto flags = input.ConsumeIntegral<std::uint8_t>();
  const bool own_pattern = which == 10;
  const bool interpreter = flags & 0x80;
  const std::string given = own_pattern ? input.ConsumeRandomLengthString(64) : std::string();
  const std::string page = input.ConsumeRemainingBytesAsString();
  const std::string& pattern = own_pattern ? given : pattern_number(which);

  trovix::RegexMatcher matcher(interpreter ? trovix::RegexRuntime::interpreter
                                           : trovix::RegexRuntime::jit_when_available);
  const bool ran = matcher.match(pattern, page, flags & 1, !(flags & 2), !(flags & 4), flags & 8);
  FUZZ_CHECK(ran || own_pattern);
  const int matches = matcher.match_count();
  // At most an empty and a non-empty match at each character, and one at the end.
  FUZZ_CHECK(matches >= 0 && static_cast<std::size_t>(matches) <= 2 * page.size() + 1);
  const int groups = matcher.group_count();
  for (int m = 0; m <= 21; ++m) {
    const std::string whole = matcher.match_text(m);
    FUZZ_CHECK(m <= matches || whole.empty());
    for (int g = 0; g <= groups + 1; ++g) (void)matcher.submatch_text(m, g);
  }
  if (own_pattern) (void)matcher.replace(page.substr(0, 16));
  return 0;
}
