// The engines' pattern texts: a mistyped byte changes a length, and every
// pattern must compile in the matcher's dialect with the groups the engines
// read.
#include "search/engine_patterns.h"

#include <gtest/gtest.h>

#include <string>

#include "web/codec.h"
#include "web/regex_matcher.h"

namespace trovix {
namespace {

struct PatternCase {
  const char* name;
  const std::string& (*text)();
  std::size_t gbk_length;
  int groups;
};

class EnginePattern : public testing::TestWithParam<PatternCase> {};

TEST_P(EnginePattern, HasItsExactLength) {
  EXPECT_EQ(GetParam().text().size(), GetParam().gbk_length);
}

// A hit as the site writes it: the pattern with every lazy group filled in.
std::string hit(const std::string& pattern, const std::string& tag) {
  static const std::string group = "(.*?)";
  std::string out;
  int number = 0;
  for (std::size_t at = 0; at < pattern.size();) {
    if (pattern.compare(at, group.size(), group) == 0) {
      out += tag + gbk("值") + std::to_string(++number);
      at += group.size();
    } else {
      out += pattern[at++];
    }
  }
  return out;
}

TEST_P(EnginePattern, FindsEveryHitWithItsGroups) {
  const PatternCase& c = GetParam();
  const std::string page = "<html><head><title>x</title></head>\r\n<body>\r\n" +
                           hit(c.text(), "a") + "\r\n" + hit(c.text(), "b") + "\r\n</body>";
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.match(c.text(), page));
  ASSERT_EQ(matcher.match_count(), 2);
  EXPECT_EQ(matcher.group_count(), c.groups);
  for (int group = 1; group <= c.groups; ++group) {
    const std::string value = gbk("值") + std::to_string(group);
    EXPECT_EQ(matcher.submatch_text(1, group), std::string("a").append(value));
    EXPECT_EQ(matcher.submatch_text(2, group), std::string("b").append(value));
  }
}

INSTANTIATE_TEST_SUITE_P(
    All, EnginePattern,
    testing::Values(PatternCase{"engine1_result", engine1_result_pattern, 286, 7},
                    PatternCase{"engine2_result", engine2_result_pattern, 432, 5},
                    PatternCase{"engine3_link", engine3_link_pattern, 79, 2},
                    PatternCase{"engine3_facts", engine3_facts_pattern, 142, 4},
                    PatternCase{"engine4_facts", engine4_facts_pattern, 382, 4},
                    PatternCase{"engine4_title", engine4_title_pattern, 50, 1},
                    PatternCase{"engine5_result", engine5_result_pattern, 67, 3},
                    PatternCase{"engine6_file", engine6_file_pattern, 59, 2},
                    PatternCase{"engine6_time", engine6_time_pattern, 30, 1}),
    [](const testing::TestParamInfo<PatternCase>& info) { return std::string(info.param.name); });

TEST(MagnetMarkers, HaveTheirExactBytes) {
  EXPECT_EQ(magnet_left_marker().size(), 81u);
  EXPECT_EQ(magnet_left_marker().front(), '\n');
  EXPECT_EQ(magnet_right_marker(), "\">");
}

}  // namespace
}  // namespace trovix
