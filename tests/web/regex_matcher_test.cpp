// RegexMatcher: the dialect the engines rely on, the reading rules for a match
// list, and the guards against hostile pages.
#include "web/regex_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "web/codec.h"

namespace trovix {
namespace {

struct Options {
  bool case_sensitive = false;
  bool multiline = true;
  bool global_search = true;
  bool quote_macro = false;
};

struct DialectCase {
  const char* name;
  std::string pattern;
  std::string subject;
  Options options;
  // Group 1 of every match, in order (group 0 when the pattern has no group).
  std::vector<std::string> expected;
};

std::string first_group_or_whole(const RegexMatcher& matcher, int match_index) {
  return matcher.group_count() > 0 ? matcher.submatch_text(match_index, 1)
                                   : matcher.match_text(match_index);
}

class RegexDialect : public testing::TestWithParam<DialectCase> {};

TEST_P(RegexDialect, FindsExactlyTheExpectedMatches) {
  const DialectCase& c = GetParam();
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.match(c.pattern, c.subject, c.options.case_sensitive, c.options.multiline,
                            c.options.global_search, c.options.quote_macro));
  std::vector<std::string> found;
  for (int i = 1; i <= matcher.match_count(); ++i)
    found.push_back(first_group_or_whole(matcher, i));
  EXPECT_EQ(found, c.expected);
  // Reading one past the last match is how the engines learn a page ran out.
  EXPECT_EQ(matcher.submatch_text(matcher.match_count() + 1, 1), "");
}

const Options kCaseSensitive{.case_sensitive = true};
const Options kSingleLine{.multiline = false};
const Options kFirstOnly{.global_search = false};
const Options kQuoteMacro{.quote_macro = true};

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexDialect,
    testing::Values(
        DialectCase{"tags_in_either_case",
                    "<b>(.*?)</b>",
                    "x<b>one</b> y <B>two</B> z",
                    {},
                    {"one", "two"}},
        DialectCase{"case_sensitive_keeps_case",
                    "<b>(.*?)</b>",
                    "<b>one</b><B>two</B>",
                    kCaseSensitive,
                    {"one"}},
        DialectCase{"dot_stops_at_line_feed", "<b>(.*?)</b>", "<b>one\ntwo</b>", {}, {}},
        DialectCase{
            "dot_takes_carriage_return", "<td>(.*?)\n", "<td>a\r\n<td>b\r\n", {}, {"a\r", "b\r"}},
        DialectCase{"literal_tab_and_line_feed",
                    "</a>\n\t<i>(.*?)</i>",
                    "</a>\n\t<i>1</i></a>\n <i>2</i></a>\n\t<i>3</i>",
                    {},
                    {"1", "3"}},
        DialectCase{"lazy_takes_shortest", "<i>(.+?)</i>", "<i>a</i><i>b</i>", {}, {"a", "b"}},
        DialectCase{"greedy_takes_longest", "<i>(.+)</i>", "<i>a</i><i>b</i>", {}, {"a</i><i>b"}},
        DialectCase{"negated_class", "href='([^']*)'", "href='a b' href=''", {}, {"a b", ""}},
        DialectCase{"anchors_at_line_ends", "^(\\w+)$", "ab\ncd\r\nef", {}, {"ab", "ef"}},
        DialectCase{
            "anchors_only_at_ends_without_multiline", "^(\\w+)$", "ab\ncd", kSingleLine, {}},
        DialectCase{
            "end_anchor_is_the_very_end_without_multiline", "(\\w+)$", "ab\n", kSingleLine, {}},
        DialectCase{"first_match_only", "(\\d)", "1 2 3", kFirstOnly, {"1"}},
        DialectCase{"empty_matches_advance", "x*", "ab", {}, {"", "", ""}},
        DialectCase{"empty_match_then_longer_one", "a*", "baa", {}, {"", "aa", ""}},
        DialectCase{"empty_subject_runs", "(a)", "", {}, {}},
        DialectCase{"quote_macro_on",
                    gbk("id=#引号(.*?)#引号"),
                    "id=\"x\" id=\"y\"",
                    kQuoteMacro,
                    {"x", "y"}},
        DialectCase{"quote_macro_off_is_literal",
                    gbk("id=#引号(.*?)#引号"),
                    gbk("id=#引号x#引号 id=\"y\""),
                    {},
                    {"x"}},
        DialectCase{"charset_from_content_type",
                    std::string(kCharsetPattern),
                    "<head><META http-equiv=\"Content-Type\" content=\"text/html; "
                    "charset=gb2312\" />",
                    {},
                    {"gb2312"}},
        DialectCase{"charset_from_meta_charset",
                    std::string(kCharsetPattern),
                    "<meta charset=\"UTF-8\">\n<meta name=x>",
                    {},
                    {"UTF-8"}}),
    [](const testing::TestParamInfo<DialectCase>& info) { return std::string(info.param.name); });

TEST(RegexMatcher, GbkCharactersAreSingleCharacters) {
  RegexMatcher matcher;
  const std::string colon_and_title = gbk("名称：电影");
  ASSERT_TRUE(matcher.match(gbk("：(.*?)$"), colon_and_title));
  EXPECT_EQ(matcher.submatch_text(1, 1), gbk("电影"));
  EXPECT_EQ(matcher.submatch_text(1, 1).size(), 4u);

  ASSERT_TRUE(matcher.match("^(.)(..)", gbk("中文字")));
  EXPECT_EQ(matcher.submatch_text(1, 1), gbk("中"));
  EXPECT_EQ(matcher.submatch_text(1, 2), gbk("文字"));

  // 0x81 0x40 is one character whose second byte is '@': an ASCII pattern
  // must never match inside it, and "." takes it whole.
  const std::string trail_is_at = "\x81\x40";
  ASSERT_TRUE(matcher.match("@", trail_is_at));
  EXPECT_EQ(matcher.match_count(), 0);
  ASSERT_TRUE(matcher.match("<(.)>", "<" + trail_is_at + ">"));
  EXPECT_EQ(matcher.submatch_text(1, 1), trail_is_at);

  // \w is ASCII only: a Chinese character is not a word character.
  ASSERT_TRUE(matcher.match("(\\w+)", gbk("中abc文")));
  EXPECT_EQ(matcher.match_count(), 1);
  EXPECT_EQ(matcher.submatch_text(1, 1), "abc");
}

TEST(RegexMatcher, OutOfRangeReadsAreEmpty) {
  RegexMatcher matcher;
  EXPECT_EQ(matcher.pattern(), "");
  EXPECT_EQ(matcher.submatch_text(1, 1), "");
  EXPECT_EQ(matcher.match_count(), 0);
  EXPECT_EQ(matcher.group_count(), 0);
  EXPECT_EQ(matcher.replace("x"), "");

  ASSERT_TRUE(matcher.match("(a)(b)|(c)", "ab c"));
  EXPECT_EQ(matcher.match_count(), 2);
  EXPECT_EQ(matcher.group_count(), 3);
  EXPECT_EQ(matcher.match_text(1), "ab");
  EXPECT_EQ(matcher.submatch_text(1, 2), "b");
  EXPECT_EQ(matcher.submatch_text(2, 3), "c");
  struct Read {
    int match_index;
    int group_index;
  };
  for (const Read read :
       {Read{0, 1}, Read{-1, 1}, Read{3, 1}, Read{1, 0}, Read{1, -1}, Read{1, 4}, Read{1, 5},
        Read{1, 3} /* group 3 took no part */, Read{2, 1} /* nor group 1 in match 2 */}) {
    EXPECT_EQ(matcher.submatch_text(read.match_index, read.group_index), "")
        << read.match_index << "," << read.group_index;
  }
  EXPECT_EQ(matcher.match_text(0), "");
  EXPECT_EQ(matcher.match_text(3), "");

  ASSERT_TRUE(matcher.match("(a)", "none here"));
  EXPECT_EQ(matcher.group_count(), 0);  // counted on the first match, and there is none
}

TEST(RegexMatcher, PatternThatDoesNotCompileLeavesNoMatchList) {
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.match("<b>(.*?)</b>", "<b>old</b>"));
  EXPECT_FALSE(matcher.match("<b>(.*?</b>", "<b>new</b>"));
  EXPECT_EQ(matcher.submatch_text(1, 1), "");
  EXPECT_EQ(matcher.match_text(1), "");
  EXPECT_EQ(matcher.match_count(), 0);
  EXPECT_EQ(matcher.group_count(), 0);
  EXPECT_EQ(matcher.replace("x"), "");
  // The object stays usable.
  ASSERT_TRUE(matcher.match("<b>(.*?)</b>", "<b>new</b>"));
  EXPECT_EQ(matcher.submatch_text(1, 1), "new");
}

TEST(RegexMatcher, EachMatchReplacesTheListAndOptionsAreNotMixedUp) {
  RegexMatcher matcher;
  // The same pattern text compiled with different options must not share a
  // compiled form.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(matcher.match("<b>", "<B><b>", true));
    EXPECT_EQ(matcher.match_count(), 1);
    ASSERT_TRUE(matcher.match("<b>", "<B><b>"));
    EXPECT_EQ(matcher.match_count(), 2);
    ASSERT_TRUE(matcher.match("^<b>", "x\n<b>", false, false));
    EXPECT_EQ(matcher.match_count(), 0);
  }
  // Many different patterns through one object, then an old one again.
  for (int i = 0; i < 40; ++i) {
    const std::string digits = std::to_string(i);
    ASSERT_TRUE(matcher.match("(" + digits + ")", "x" + digits + "x"));
    EXPECT_EQ(matcher.submatch_text(1, 1), digits);
  }
  ASSERT_TRUE(matcher.match("(3)", "333"));
  EXPECT_EQ(matcher.match_count(), 3);
  EXPECT_EQ(matcher.pattern(), "(3)");
  ASSERT_TRUE(matcher.match(gbk("#引号"), "", false, true, true, true));
  EXPECT_EQ(matcher.pattern(), "\"");
}

TEST(RegexMatcher, ReplaceUsesTheLastSubjectAndScope) {
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.match("<b>(.*?)</b>", gbk("<b>甲</b>-<B>乙</B>")));
  EXPECT_EQ(matcher.replace("[$1]"), gbk("[甲]-[乙]"));
  ASSERT_TRUE(matcher.match("<b>(.*?)</b>", gbk("<b>甲</b>-<B>乙</B>"), false, true, false));
  EXPECT_EQ(matcher.replace("[$1]"), gbk("[甲]-<B>乙</B>"));
  // A replacement far longer than the subject needs a second pass.
  ASSERT_TRUE(matcher.match("a", "aaaa"));
  EXPECT_EQ(matcher.replace(std::string(300, 'z')), std::string(1200, 'z'));
  EXPECT_EQ(matcher.replace("$9"), "");  // no such group: the replacement is invalid
}

TEST(RegexMatcher, HostileSubjectStopsAtTheLimitWithoutCrashing) {
  // Nested repeats over a long line backtrack exponentially; the matcher gives
  // up at its step limit and keeps what it found before.
  const std::string line = "ab" + std::string(100'000, 'a') + "cb";
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.match("(a+)+b", line));
  EXPECT_EQ(matcher.match_count(), 1);
  EXPECT_EQ(matcher.submatch_text(1, 1), "a");
  EXPECT_EQ(matcher.submatch_text(2, 1), "");

  // Lazy groups that can never close scan the whole 100 KB line from every
  // start; the search still ends.
  const std::string tags = std::string(100'000, '<') + "\n>";
  ASSERT_TRUE(matcher.match("<(.*?)<(.*?)<(.*?)>", tags));
  EXPECT_EQ(matcher.match_count(), 0);

  // Every position of a long line yields an empty match.
  ASSERT_TRUE(matcher.match("z*", std::string(100'000, 'y')));
  EXPECT_EQ(matcher.match_count(), 100'001);
}

}  // namespace
}  // namespace trovix
