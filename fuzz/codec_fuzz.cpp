// The codecs over arbitrary bytes: every conversion between GBK, UTF-8 and
// UTF-16, the charset decoder a page's meta tag chooses, the percent codecs,
// text_between and replace_many. Conversions always give well-formed output
// and round trips keep what the target encoding can hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "web/codec.h"

namespace {

bool valid_utf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
    } else if (lead >= 0x80) {
      return false;
    }
    if (i + extra >= text.size() && extra > 0) return false;
    for (std::size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

const char* const kCharsets[] = {"utf-8",        "UTF-8",  "big5",      "gb18030",
                                 "iso-8859-1",   "utf-16", "shift_jis", "euc-kr",
                                 "windows-1252", "koi8-r", "no-such"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int choice = input.ConsumeIntegralInRange<int>(0, 255);
  const int start = input.ConsumeIntegralInRange<int>(-2, 64);
  const int count = input.ConsumeIntegralInRange<int>(-2, 8);
  const std::string left = input.ConsumeRandomLengthString(12);
  const std::string right = input.ConsumeRandomLengthString(12);
  const std::string text = input.ConsumeRemainingBytesAsString();
  const bool a = choice & 1, b = choice & 2;

  const std::string utf8 = trovix::gbk_to_utf8(text);
  FUZZ_CHECK(valid_utf8(utf8));
  // Whatever the first round trip replaced, a second one keeps.
  const std::string once = trovix::utf8_to_gbk(utf8);
  FUZZ_CHECK(trovix::utf8_to_gbk(trovix::gbk_to_utf8(once)) == once);
  (void)trovix::utf8_to_gbk(text);  // arbitrary bytes as UTF-8
  const std::u16string utf16 = trovix::gbk_to_utf16(text);
  (void)trovix::utf16_to_gbk(utf16);
  std::u16string raw16(text.size() / 2, u'\0');
  for (std::size_t i = 0; i < raw16.size(); ++i)
    raw16[i] = static_cast<char16_t>(static_cast<unsigned char>(text[2 * i]) |
                                     static_cast<unsigned char>(text[2 * i + 1]) << 8);
  (void)trovix::utf16_to_gbk(raw16);  // lone surrogates and all
  const char* charset = kCharsets[(choice >> 2) % (sizeof kCharsets / sizeof kCharsets[0])];
  if (std::optional<std::string> converted = trovix::charset_to_gbk(text, charset))
    FUZZ_CHECK(valid_utf8(trovix::gbk_to_utf8(*converted)));

  const std::string encoded = trovix::url_encode(text, a, b);
  for (const char c : encoded)
    FUZZ_CHECK(c == '%' || c == '-' || c == '.' || (c >= '0' && c <= '9') ||
               (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
  if (!b && text.find('\0') == std::string::npos) FUZZ_CHECK(trovix::url_decode(encoded) == text);
  (void)trovix::url_decode(text, a);

  const std::string between = trovix::text_between(text, left, right, start, a);
  FUZZ_CHECK(between.size() <= text.size());
  (void)trovix::replace_many(text, count, start, a, left, right, right, left, "", "x", "#", "",
                             left, text.substr(0, 4));
  return 0;
}
