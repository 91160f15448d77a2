#include "web/text_ops.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace trovix {
namespace {

using namespace std::string_literals;

// GBK fixtures: 中文 (two characters), the full-width space, and a character
// whose second byte is the ASCII letter "A".
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";
const std::string kFullSpace = "\xA1\xA1";
const std::string kTrailA = "\x81\x41";

struct FindCase {
  std::string text;
  std::string search;
  int start;
  bool case_insensitive;
  int expected;
};

TEST(FindText, PositionsStartsAndCharacterBoundaries) {
  const std::vector<FindCase> cases = {
      {"abc", "b", 1, false, 2},
      {"abc", "b", 3, false, -1},
      {"abc", "b", 0, false, 2},
      {"abc", "b", 9, false, -1},
      {"abc", "b", INT_MIN, false, 2},
      {"abc", "b", INT_MAX, false, -1},
      {"abc", "", 1, false, 1},
      {"abc", "", 2, false, 1},  // found at 1 whatever the start
      {"abc", "", 4, false, -1},
      {"", "", 1, false, -1},
      {"", "", 0, false, -1},  // a start below 1 finds no byte in empty text either
      {"", "", -5, true, -1},
      {"", "a", 1, false, -1},
      {"ab", "abc", 1, false, -1},
      {"xabc", "ABC", 1, true, 2},
      {"xabc", "ABC", 1, false, -1},
      {"abab", "ab", 2, false, 3},  // counted from the beginning, not from start
      // Never a match on the second byte of a two-byte character.
      {kZhongWen, "\xD0\xCE", 1, false, -1},
      {kZhongWen, "\xD0\xCE", 1, true, -1},
      {kTrailA, "A", 1, false, -1},
      {kTrailA, "a", 1, true, -1},
      {kTrailA + "A", "A", 1, false, 3},
      {"\xB0\xA1\xB0\xA1", "\xA1\xB0", 1, false, -1},
      {"a" + kZhongWen + "\xD0\xCE", "\xD0\xCE", 1, false, 6},
      // The scan begins at start even when start is a second byte.
      {kZhongWen, "\xD0\xCE", 2, false, 2},
      // A case-insensitive search folds only bytes that begin characters.
      {"x" + kTrailA, "\x81\x61", 1, true, -1},
      {"x" + kTrailA, "\x81\x41", 1, true, 2},
      {"X\x81\x41", "x\x81\x41", 1, true, 1},
      // A lead byte at the very end stands alone.
      {"a\xB0", "\xB0", 1, false, 2},
      {"a\0b"s, "b", 1, false, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(find_text(c.text, c.search, c.start, c.case_insensitive), c.expected)
        << "text=" << c.text << " search=" << c.search << " start=" << c.start;
  }
}

TEST(FindText, LongRunsOfTwoByteCharacters) {
  // Odd and even alignments deep inside a long run of high bytes.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "\xB0\xA1";
  EXPECT_EQ(find_text(text, "\xA1\xB0"), -1);
  EXPECT_EQ(find_text(text + "\xA1\xB0", "\xA1\xB0"), 2001);
  EXPECT_EQ(find_text(text, "\xB0\xA1\xB0\xA1", 1501), 1501);
  // Start 1500 is a second byte; read from there the pairs are 0xA1 0xB0.
  EXPECT_EQ(find_text(text, "\xB0\xA1\xB0\xA1", 1500), -1);
  EXPECT_EQ(find_text(text + "Q", "q", 1, true), 2001);
}

// The scan as plainly written: candidates at character starts from start on,
// comparing byte by byte. The fast search must agree with it everywhere.
int plain_find(const std::string& text, const std::string& search, int start, bool fold_case) {
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  std::size_t i = static_cast<std::size_t>(start < 1 ? 1 : start) - 1;
  while (i + search.size() <= text.size()) {
    bool equal = true;
    bool trail = false;
    for (std::size_t k = 0; k < search.size() && equal; ++k) {
      const char a = text[i + k];
      const char b = search[k];
      equal = (fold_case && !trail) ? fold(a) == fold(b) : a == b;
      trail = !trail && static_cast<unsigned char>(b) >= 0x80;
    }
    if (equal) return static_cast<int>(i) + 1;
    i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
  }
  return -1;
}

TEST(FindText, AgreesWithThePlainScanOnMixedBytes) {
  // Letters, lead bytes and bytes that are both second bytes and letters.
  const char alphabet[] = {'a', 'A', 'b', '\x81', '\xB0', '\xA1', 'B'};
  unsigned seed = 12345;
  const auto next = [&seed] { return (seed = seed * 1103515245U + 12345U) >> 16; };
  for (int round = 0; round < 20000; ++round) {
    std::string text, search;
    for (unsigned n = next() % 24; n > 0; --n) text += alphabet[next() % sizeof alphabet];
    for (unsigned n = next() % 4 + 1; n > 0; --n) search += alphabet[next() % sizeof alphabet];
    const int start = static_cast<int>(next() % 6);
    const bool fold_case = next() % 2 == 0;
    ASSERT_EQ(find_text(text, search, start, fold_case), plain_find(text, search, start, fold_case))
        << "text=" << text << " search=" << search << " start=" << start;
  }
}

struct CutCase {
  std::string text;
  int start;  // unused by text_left and text_right
  int length;
  std::string mid, left, right;
};

TEST(TextCuts, MidLeftRightClipAndRejectBadArguments) {
  const std::vector<CutCase> cases = {
      {"abcdef", 2, 3, "bcd", "abc", "def"},
      {"abcdef", 5, 10, "ef", "abcdef", "abcdef"},
      {"abcdef", 0, 3, "", "abc", "def"},
      {"abcdef", 7, 1, "", "a", "f"},
      {"abc", 1, -2, "", "", ""},
      {"abc", 1, 0, "", "", ""},
      {"abc", INT_MAX, INT_MAX, "", "abc", "abc"},
      {"abc", 2, INT_MAX, "bc", "abc", "abc"},
      {"abc", INT_MIN, INT_MIN, "", "", ""},
      {"", 1, 5, "", "", ""},
      {kZhongWen, 2, 2, "\xD0\xCE", "\xD6\xD0", "\xCE\xC4"},  // cuts by bytes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_mid(c.text, c.start, c.length), c.mid) << c.text << " " << c.start;
    EXPECT_EQ(text_left(c.text, c.length), c.left) << c.text << " " << c.length;
    EXPECT_EQ(text_right(c.text, c.length), c.right) << c.text << " " << c.length;
  }
}

struct ReplaceCase {
  std::string text, find, replacement;
  int start, count;
  bool case_sensitive;
  std::string expected;
};

TEST(ReplaceText, CountsStartsCaseAndCharacterStarts) {
  const std::vector<ReplaceCase> cases = {
      {"aXbxc", "x", "-", 1, -1, false, "a-b-c"},
      {"aXbxc", "x", "-", 1, -1, true, "aXb-c"},
      {"aXbxc", "x", "-", 1, 1, false, "a-bxc"},
      {"aXbxc", "x", "-", 3, -1, false, "aXb-c"},
      {"aXbxc", "x", "-", 0, -1, false, "a-b-c"},
      {"aXbxc", "x", "-", INT_MIN, -1, false, "a-b-c"},
      {"aXbxc", "x", "-", 6, -1, false, "aXbxc"},
      {"aXbxc", "x", "-", INT_MAX, -1, false, "aXbxc"},
      {"aXbxc", "x", "-", 1, 0, false, "aXbxc"},
      {"aXbxc", "x", "-", 1, INT_MAX, false, "a-b-c"},
      {"aXbxc", "x", "-", 1, -7, false, "a-b-c"},
      {"aXbxc", "", "-", 1, -1, false, "aXbxc"},
      {"", "x", "-", 1, -1, false, ""},
      {"axbx", "x", "", 1, -1, true, "ab"},
      // Not overlapping, and the replacement is never searched again.
      {"aaa", "aa", "b", 1, -1, true, "ba"},
      {"aa", "a", "aa", 1, -1, true, "aaaa"},
      // Only at character starts; second bytes never fold.
      {kZhongWen, "\xD0\xCE", "!", 1, -1, true, kZhongWen},
      {kTrailA + "a", "A", "!", 1, -1, false, kTrailA + "!"},
      {"a\0a"s, "a", "b", 1, -1, true, "b\0b"s},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(replace_text(c.text, c.find, c.replacement, c.start, c.count, c.case_sensitive),
              c.expected)
        << "text=" << c.text << " start=" << c.start << " count=" << c.count;
  }
}

struct SplitCase {
  std::string text, delimiter;
  int max_count;
  std::vector<std::string> expected;
};

TEST(SplitText, PiecesEmptyElementsAndLimits) {
  const std::vector<SplitCase> cases = {
      {"a;;b;", ";", -1, {"a", "", "b"}},
      {";a", ";", -1, {"", "a"}},
      {";", ";", -1, {""}},
      {"", ";", -1, {}},
      {"a,b", "", -1, {"a,b"}},
      {"a,b,c", ",", 2, {"a", "b"}},
      {"a,b,c", ",", 0, {}},
      {"a,b,c", ",", -5, {}},
      {"a,b,c", ",", INT_MAX, {"a", "b", "c"}},
      {"a<>b<>", "<>", -1, {"a", "b"}},
      {kZhongWen, "\xD0\xCE", -1, {kZhongWen}},
      {"x" + kTrailA + "Ay", "A", -1, {"x" + kTrailA, "y"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split_text(c.text, c.delimiter, c.max_count), c.expected)
        << "text=" << c.text << " max=" << c.max_count;
  }
  EXPECT_EQ(split_text("a,b"), (std::vector<std::string>{"a", "b"}));
}

TEST(Spaces, TrimAndRemoveKnowOnlyTheTwoSpaces) {
  struct Case {
    std::string text, trimmed, removed;
  };
  const std::vector<Case> cases = {
      {"  a b  ", "a b", "ab"},
      {kFullSpace + "a" + kFullSpace + "b " + kFullSpace, "a" + kFullSpace + "b", "ab"},
      {"\ta\r\n", "\ta\r\n", "\ta\r\n"},
      {"   ", "", ""},
      {kFullSpace + kFullSpace, "", ""},
      {"", "", ""},
      // 0xC4 0xA1 is a character and the last 0xA1 a lone lead byte: no
      // full-width space here although the text ends in 0xA1 0xA1.
      {"\xC4\xA1\xA1", "\xC4\xA1\xA1", "\xC4\xA1\xA1"},
      {" \xC4\xA1" + kFullSpace, "\xC4\xA1", "\xC4\xA1"},
      {"\xB0\x20x", "\xB0\x20x", "\xB0\x20x"},  // 0x20 as a second byte stays
  };
  for (const auto& c : cases) {
    EXPECT_EQ(trim_text(c.text), c.trimmed) << c.text;
    EXPECT_EQ(remove_spaces(c.text), c.removed) << c.text;
  }
}

TEST(CompareText, SignsCaseAndTwoByteUnits) {
  struct Case {
    std::string a, b;
    bool case_sensitive;
    int sign;
  };
  const std::vector<Case> cases = {
      {"abc", "abc", true, 0},    {"abc", "abd", true, -1},
      {"abd", "abc", true, 1},    {"ab", "abc", true, -1},
      {"", "", true, 0},          {"", "a", true, -1},
      {"ABC", "abc", true, -1},   {"ABC", "abc", false, 0},
      {"abc", "ABD", false, -1},  {"_", "A", false, -1},
      {"a", kZhongWen, true, -1}, {kTrailA, "\x81\x61", false, -1},  // second bytes are not letters
  };
  for (const auto& c : cases) {
    const int r = compare_text(c.a, c.b, c.case_sensitive);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
  }
}

TEST(LetterCase, OnlyAsciiLettersChange) {
  EXPECT_EQ(to_lower("AbC" + kTrailA + "Z"), "abc" + kTrailA + "z");
  EXPECT_EQ(to_upper("abc\x81\x61z"), "ABC\x81\x61Z");
  EXPECT_EQ(to_upper(""), "");
}

TEST(Numbers, ReadTheLeadingDecimalNumber) {
  struct Case {
    std::string text;
    double number;
    std::int32_t integer;
  };
  // Full-width forms: "１２" and "－３．５", and a full-width space before them.
  const std::vector<Case> cases = {
      {"1.1.5", 1.1, 1},
      {"12MB", 12, 12},
      {"abc", 0, 0},
      {"", 0, 0},
      {"\xA3\xB1\xA3\xB2", 12, 12},
      {kFullSpace + "\xA3\xAD\xA3\xB3\xA3\xAE\xA3\xB5", -3.5, -3},
      {" \t+7", 7, 7},
      {"  -3.5e2x", -350, -3},
      {".5", 0.5, 0},
      {"-.5", -0.5, 0},
      {"5.", 5, 5},
      {".", 0, 0},
      {"-", 0, 0},
      {"1e", 1, 1},
      {"1e+", 1, 1},
      {"2E3", 2000, 2},
      {"0x1A", 0, 0},
      {"inf", 0, 0},
      {"nan", 0, 0},
      {"12" + kZhongWen + "3", 12, 12},
      {"2147483647", 2147483647.0, INT32_MAX},
      {"-2147483648", -2147483648.0, INT32_MIN},
      {"99999999999", 99999999999.0, INT32_MAX},
      {"-99999999999999999999", -99999999999999999999.0, INT32_MIN},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(to_number(c.text), c.number) << c.text;
    EXPECT_EQ(to_int(c.text), c.integer) << c.text;
  }
  EXPECT_TRUE(std::isinf(to_number("1e999")));
  EXPECT_EQ(to_number("1e-999"), 0.0);
}

TEST(Numbers, WrittenAsText) {
  EXPECT_EQ(number_to_text(2.0), "2");
  EXPECT_EQ(number_to_text(0.1), "0.1");
  EXPECT_EQ(number_to_text(-7), "-7");
  EXPECT_EQ(number_to_text(1.0 / 3.0), "0.3333333333333");
  EXPECT_EQ(number_to_text(123456789012345.0), "1.234567890123e+14");
  EXPECT_EQ(number_to_text(1e-5), "1e-05");
  EXPECT_EQ(number_to_text(2.5e9), "2500000000");
  EXPECT_EQ(number_to_text(std::int64_t{INT64_MIN}), "-9223372036854775808");
  EXPECT_EQ(number_to_text(INT_MIN), "-2147483648");
}

TEST(Bytes, ByteTextHexAndZeroBytes) {
  EXPECT_EQ(text_of_byte(65), "A");
  EXPECT_EQ(text_of_byte(0), "");
  EXPECT_EQ(text_of_byte(256 + 66), "B");  // cut to 8 bits
  EXPECT_EQ(text_of_byte(-1), "\xFF");
  EXPECT_EQ(hex_text(255), "FF");
  EXPECT_EQ(hex_text(0), "0");
  EXPECT_EQ(hex_text(0x1A2B3C), "1A2B3C");
  EXPECT_EQ(hex_text(-1), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(bytes_to_text("ab\0cd"s), "ab");
  EXPECT_EQ(bytes_to_text(""), "");
  EXPECT_EQ(text_to_bytes("ab"), "ab");
  EXPECT_EQ(text_length("ab\0c"s), 4);
}

}  // namespace
}  // namespace trovix
