#include "web/codec.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace trovix {
namespace {

using namespace std::string_literals;

const std::string kZhongWen = "\xD6\xD0\xCE\xC4";  // 中文 in GBK

TEST(Gbk, LiteralsConvertOnce) {
  EXPECT_EQ(gbk("中文"), kZhongWen);
  EXPECT_EQ(gbk("#引号"), "#\xD2\xFD\xBA\xC5");
  EXPECT_EQ(gbk("ascii"), "ascii");
}

TEST(TextBetween, MarkersQuoteMacroAndStart) {
  struct Case {
    std::string text, left, right;
    int start;
    bool case_insensitive;
    std::string expected;
  };
  const std::string quote = gbk("#引号");
  const std::vector<Case> cases = {
      {"id=\"x\" name=\"y\"", "id=" + quote, quote, 1, false, "x"},
      {"id=\"x\" name=\"y\"", "name=" + quote, quote, 1, false, "y"},
      {"a\"b\"c", quote + quote, quote, 1, false, ""},
      {"a[b]c[d]", "[", "]", 1, false, "b"},
      {"a[b]c[d]", "[", "]", 4, false, "d"},
      {"a[b]c[d]", "[", "]", INT_MIN, false, "b"},
      {"a[b]c[d]", "[", "]", INT_MAX, false, ""},
      {"]x[y]", "[", "]", 1, false, "y"},
      {"a[b", "[", "]", 1, false, ""},
      {"ab]", "[", "]", 1, false, ""},
      {"a[]", "[", "]", 1, false, ""},
      {"a[", "[", "]", 1, false, ""},
      {"<B>t</b>", "<b>", "</B>", 1, true, "t"},
      {"<B>t</b>", "<b>", "</B>", 1, false, ""},
      {"", "[", "]", 1, false, ""},
      // The macro is exact: a lower-case or partial form is taken literally.
      {"#x\"", "#", quote, 1, false, "x"},
      {"#\xD2\xFD"
       "v]",
       "#\xD2\xFD", "]", 1, false, "v"},
      // Markers are found at character starts only.
      {kZhongWen + "\xD0\xCE"
                   "z]",
       "\xD0\xCE", "]", 1, false, "z"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_between(c.text, c.left, c.right, c.start, c.case_insensitive), c.expected)
        << "text=" << c.text << " left=" << c.left << " start=" << c.start;
  }
}

TEST(ReplaceMany, ChainedPassesCountsAndCase) {
  EXPECT_EQ(replace_many("ab", -1, 1, false, "a", "b", "b", "c"), "cc");
  EXPECT_EQ(replace_many("aAaA", -1, 1, false, "a", "x"), "xxxx");
  EXPECT_EQ(replace_many("aAaA", -1, 1, true, "a", "x"), "xAxA");
  // Each pass makes at most count replacements.
  EXPECT_EQ(replace_many("aaa-bbb", 1, 1, true, "a", "x", "b", "y"), "xaa-ybb");
  EXPECT_EQ(replace_many("aaa", INT_MAX, 1, true, "a", "x"), "xxx");
  EXPECT_EQ(replace_many("aaa", 0, 1, true, "a", "x"), "aaa");
  EXPECT_EQ(replace_many("aaa", -1, 0, true, "a", "x"), "xxx");
  EXPECT_EQ(replace_many("aaa", -1, 2, true, "a", "x"), "axx");
  EXPECT_EQ(replace_many("aaa", -1, INT_MAX, true, "a", "x"), "aaa");
  // All five pairs, in order; an empty find text leaves the text alone.
  EXPECT_EQ(replace_many("1", -1, 1, true, "1", "2", "2", "3", "", "z", "3", "4", "4", "5"), "5");
  EXPECT_EQ(replace_many("", -1, 1, true, "a", "b"), "");
  EXPECT_EQ(replace_many("<br>x", -1, 1, false, "<BR>", "\r\n"), "\r\nx");
}

TEST(UrlEncode, ReservedBytesAndUtf8) {
  struct Case {
    std::string text;
    bool keep_unreserved, as_utf8;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"a b/c", true, false, "a%20b%2Fc"},
      {"a b/c", false, false, "%61%20%62%2F%63"},
      {kZhongWen, true, true, "%E4%B8%AD%E6%96%87"},
      {kZhongWen, true, false, "%D6%D0%CE%C4"},
      {"-._~+Az09", true, false, "-.%5F%7E%2BAz09"},
      {"\n\0"s, true, false, "%0A%00"},
      {"", true, true, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(url_encode(c.text, c.keep_unreserved, c.as_utf8), c.expected) << c.text;
  }
}

TEST(UrlDecode, EscapesAndOddDigits) {
  struct Case {
    std::string text;
    bool from_utf8;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"%e4%b8%ad", true, "\xD6\xD0"},
      {"%E4%B8%AD%E6%96%87", true, kZhongWen},
      {"%D6%D0", false, "\xD6\xD0"},
      {"a+b%21", false, "a+b!"},
      {"abc%", false, "abc"},    // both digits missing: byte 0, nothing written
      {"abc%4", false, "abc@"},  // low digit missing counts as 0
      {"%G1", false, "\xE1"},    // -2 * 16 + 1, cut to 8 bits
      {"%1G", false, "\x0E"},    // 16 - 2
      {"%GG", false, "\xDE"},    // -34
      {"%00x", false, "x"},
      {"%%41", false,
       "\xE4"
       "1"},  // the second "%" is a (bad) digit
      {"", false, ""},
      {"%", true, ""},
      {"%e4%b8", true, "?"},  // a cut UTF-8 sequence
      {"%FF", true, "?"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(url_decode(c.text, c.from_utf8), c.expected) << c.text;
  }
}

TEST(Conversions, KnownCharacters) {
  struct Case {
    std::string gbk;
    std::string utf8;
  };
  const std::vector<Case> cases = {
      {kZhongWen, "中文"},
      {"ab\xA1\xA1"
       "c",
       "ab\u3000c"},                 // full-width space
      {"\x80", "€"},                 // code page 936's one-byte euro sign
      {"\xA3\xB1\xA3\xC1", "１Ａ"},  // full-width forms
      {"\xA1\xA4", "·"},
      {"", ""},
      {"a\0b"s, "a\0b"s},  // zero bytes pass through
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gbk_to_utf8(c.gbk), c.utf8) << c.utf8;
    EXPECT_EQ(utf8_to_gbk(c.utf8), c.gbk) << c.utf8;
  }
  EXPECT_EQ(gbk_to_utf16(kZhongWen), u"中文");
  EXPECT_EQ(utf16_to_gbk(u"中文"), kZhongWen);
}

TEST(Conversions, InvalidGbkBecomesReplacementCharacters) {
  struct Case {
    std::string gbk;
    std::u16string utf16;
  };
  const std::vector<Case> cases = {
      {"ab\xD6", u"ab\uFFFD"},    // cut at the end
      {"\x81<p>", u"\uFFFD<p>"},  // a lead byte never swallows markup
      {"\xD6\x7F", u"\uFFFD\x7F"},
      {"\xFF"
       "a",
       u"\uFFFDa"},
      {"\xA2\xE3"
       "a",
       u"\uFFFDa"},  // a pair left unassigned
      {"\xD6\xD0\xD6", u"中\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gbk_to_utf16(c.gbk), c.utf16);
  }
  EXPECT_EQ(gbk_to_utf8("\x81<"), "\xEF\xBF\xBD<");
}

TEST(Conversions, WhatGbkCannotHoldBecomesQuestionMarks) {
  struct Case {
    std::string utf8;
    std::string gbk;
  };
  const std::vector<Case> cases = {
      {"\xF0\x9F\x98\x80!", "?!"},  // beyond the BMP
      {"가", "?"},                  // Hangul: not in code page 936
      {"\xE4\xB8", "?"},            // cut at the end
      {"\xE4\xB8x", "?x"},
      {"\xC0\xAF", "??"},            // overlong
      {"\xED\xA0\x80", "???"},       // an encoded surrogate
      {"\xF4\x90\x80\x80", "????"},  // past U+10FFFF
      {"\x80\xBF", "??"},
      {"\xFF"
       "中",
       "?\xD6\xD0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8_to_gbk(c.utf8), c.gbk) << c.gbk;
  }
  EXPECT_EQ(utf16_to_gbk(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(utf16_to_gbk(std::u16string{u'a', 0xD800, u'b', 0xDC00}), "a?b?");
  EXPECT_EQ(utf16_to_gbk(std::u16string{u'a', 0xD800}), "a?");
  EXPECT_EQ(utf16_to_gbk(u"ab\0cd"s), "ab");  // up to the first zero character
}

TEST(Conversions, EveryAssignedPairRoundTrips) {
  int assigned = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string unit = gbk_to_utf16(pair);
      ASSERT_EQ(unit.size(), 1U);
      if (unit[0] == 0xFFFD) continue;
      ++assigned;
      ASSERT_EQ(utf16_to_gbk(unit), pair) << std::hex << lead << " " << trail;
      ASSERT_EQ(utf8_to_gbk(gbk_to_utf8(pair)), pair) << std::hex << lead << " " << trail;
    }
  }
  // Code page 936 assigns some 21,900 pairs; a far smaller figure means the
  // converter was missing and everything became replacement characters.
  EXPECT_GT(assigned, 21000);
}

TEST(Conversions, ManyThreadsAtOnce) {
  std::string gbk_text;
  for (int i = 0; i < 2000; ++i) gbk_text += kZhongWen + "abc\x80";
  const std::string utf8_text = gbk_to_utf8(gbk_text);
  std::vector<std::thread> threads;
  std::vector<int> ok(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      bool same = true;
      for (int i = 0; i < 20; ++i) {
        same = same && gbk_to_utf8(gbk_text) == utf8_text && utf8_to_gbk(utf8_text) == gbk_text;
      }
      ok[t] = same;
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(ok, std::vector<int>(4, 1));
}

TEST(CharsetToGbk, DeclaredCharsets) {
  struct Case {
    std::string bytes, charset;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"\xEF\xBB\xBF中文", "utf-8", kZhongWen},
      {"中文", " \"UTF-8\" ", kZhongWen},
      {"\xE4\xB8", "utf-8", "?"},
      {"\xA4\xA4\xA4\xE5", "big5", kZhongWen},
      {"caf\xE9", "iso-8859-1", "caf\xA8\xA6"},
      {"\xFF\xFE-N\x87"
       "e",
       "utf-16", kZhongWen},
      {"-N\x87", "utf-16le", "\xD6\xD0?"},         // a cut unit at the end
      {"\xD6\xD0\x81", "gb2312", "\xD6\xD0\x81"},  // GBK itself passes unchanged
      {"\xD6\xD0", "GB18030", "\xD6\xD0"},
      {"", "utf-8", ""},
      {"x", "no-such-charset", std::nullopt},
      {"x", "utf-8//TRANSLIT", std::nullopt},
      {"x", "", std::nullopt},
      {"x", "\"\"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(charset_to_gbk(c.bytes, c.charset), c.expected) << c.charset;
  }
}

}  // namespace
}  // namespace trovix
