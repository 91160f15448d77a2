// The engines' real patterns over pages built to make the matcher work as hard
// as it can: one long line repeating a pattern's opening text (every repeat is
// a start position whose lazy group runs to the line's end), then, on a line
// of its own, one complete record. (Engine 3's patterns begin with a line
// feed: they have one start position per line, and no such page.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/engine_patterns.h"
#include "web/regex_matcher.h"

namespace trovix {
namespace {

struct HostileCase {
  const char* name;
  const std::string& (*pattern)();
};

// The literal pieces of a pattern between its "(.*?)" groups.
std::vector<std::string> literal_pieces(const std::string& pattern) {
  std::vector<std::string> pieces;
  std::size_t at = 0;
  for (;;) {
    const std::size_t group = pattern.find("(.*?)", at);
    pieces.push_back(pattern.substr(at, group == std::string::npos ? group : group - at));
    if (group == std::string::npos) return pieces;
    at = group + 5;
  }
}

std::string hostile_page(const std::string& pattern, std::size_t line_bytes) {
  const std::vector<std::string> pieces = literal_pieces(pattern);
  const std::string opening = pieces.front() + "x";
  std::string page;
  while (page.size() + opening.size() <= line_bytes) page += opening;
  page += "\n";
  for (const std::string& piece : pieces) page += piece + "y";
  return page;
}

class HostilePage : public ::testing::TestWithParam<HostileCase> {};

// The JIT code skips the hopeless start positions by itself: the record after
// the long line is found.
TEST_P(HostilePage, JitFindsTheRecordBehindTheLongLine) {
  const std::string& pattern = GetParam().pattern();
  RegexMatcher matcher(RegexRuntime::jit_when_available);
  ASSERT_TRUE(matcher.match(pattern, hostile_page(pattern, 1 << 20)));
  ASSERT_EQ(matcher.match_count(), 1);
  EXPECT_EQ(matcher.submatch_text(1, 1), "y");
}

// The interpreter would scan the whole rest of the line from every one of the
// thousands of start positions (tens of seconds for this page); the subject's
// budget ends the search within half a second, and what follows counts as not
// matched.
TEST_P(HostilePage, InterpreterStopsAtTheSubjectBudget) {
  const std::string& pattern = GetParam().pattern();
  RegexMatcher matcher(RegexRuntime::interpreter);
  ASSERT_TRUE(matcher.match(pattern, hostile_page(pattern, 128 * 1024)));
  EXPECT_EQ(matcher.match_count(), 0);
  // The budget is the subject's: the next subject gets a full one.
  ASSERT_TRUE(matcher.match(pattern, hostile_page(pattern, 64)));
  EXPECT_EQ(matcher.match_count(), 1);
}

INSTANTIATE_TEST_SUITE_P(EnginePatterns, HostilePage,
                         ::testing::Values(HostileCase{"engine1", engine1_result_pattern},
                                           HostileCase{"engine2", engine2_result_pattern},
                                           HostileCase{"engine4_title", engine4_title_pattern},
                                           HostileCase{"engine5", engine5_result_pattern},
                                           HostileCase{"engine6_file", engine6_file_pattern},
                                           HostileCase{"engine6_time", engine6_time_pattern}),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace trovix
