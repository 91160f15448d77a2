#include "web/codec.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "web/gbk_table.h"
#include "web/text_ops.h"

// What the conversions write for what they cannot carry over:
// - towards UTF-8 or UTF-16, a GBK byte sequence that is not a character
//   (a lead byte followed by a byte that cannot be a second byte, a lead byte at
//   the very end, 0xFF, or a pair code page 936 leaves unassigned) becomes
//   U+FFFD; when the second byte cannot belong to a pair it is read again on
//   its own, so a stray lead byte never swallows the "<" or quote after it;
// - towards GBK, a character code page 936 lacks (anything outside the BMP
//   included) and every ill-formed UTF-8 or UTF-16 piece becomes "?", one per
//   character or per maximal ill-formed subsequence.
// Zero bytes and characters pass through like any other ASCII character, except
// that utf16_to_gbk stops at the first zero character.

namespace trovix {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr char kUnmappable = '?';

const unsigned char* bytes_of(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

// Length of the run of bytes below 0x80 at the start of p, eight at a time.
std::size_t ascii_run(const unsigned char* p, std::size_t n) {
  std::size_t i = 0;
  while (i + 8 <= n) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    if ((word & 0x8080808080808080ULL) != 0) break;
    i += 8;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

// The character at p[i] (a byte of 0x80 or above) as one UTF-16 unit; i moves
// past the bytes it used.
char16_t decode_gbk(const GbkTable& table, const unsigned char* p, std::size_t n, std::size_t& i) {
  const unsigned lead = p[i];
  if (lead == 0x80 || lead == 0xFF) {
    ++i;
    return table.to_unicode[lead];
  }
  if (i + 1 < n) {
    const char16_t unit = table.to_unicode[lead << 8 | p[i + 1]];
    if (unit != 0) {
      i += 2;
      return unit;
    }
  }
  ++i;
  return kReplacement;
}

// The UTF-8 sequence at p[i] (a byte of 0x80 or above) as a code point, or -1
// for an ill-formed one; i moves past the sequence or its maximal ill-formed
// part (never zero bytes).
std::int32_t decode_utf8(const unsigned char* p, std::size_t n, std::size_t& i) {
  const unsigned first = p[i];
  int needed = 0;
  std::uint32_t code = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    needed = 1;
    code = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    needed = 2;
    code = first & 0x0F;
    if (first == 0xE0) low = 0xA0;   // no overlong forms
    if (first == 0xED) high = 0x9F;  // no surrogates
  } else if (first >= 0xF0 && first <= 0xF4) {
    needed = 3;
    code = first & 0x07;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    ++i;
    return -1;
  }
  std::size_t j = i + 1;
  for (int k = 0; k < needed; ++k, ++j) {
    if (j >= n || p[j] < low || p[j] > high) {
      i = j;
      return -1;
    }
    code = code << 6 | (p[j] & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  i = j;
  return static_cast<std::int32_t>(code);
}

// Appends the GBK bytes of one code point (-1 for an ill-formed piece).
char* encode_gbk(const GbkTable& table, std::int32_t code, char* out) {
  const std::uint16_t gbk = code >= 0 && code < 0x10000 ? table.from_unicode[code] : 0;
  if (gbk == 0) {
    *out++ = kUnmappable;
  } else if (gbk < 0x100) {
    *out++ = static_cast<char>(gbk);
  } else {
    *out++ = static_cast<char>(gbk >> 8);
    *out++ = static_cast<char>(gbk & 0xFF);
  }
  return out;
}

char* encode_utf8(char16_t unit, char* out) {
  if (unit < 0x80) {
    *out++ = static_cast<char>(unit);
  } else if (unit < 0x800) {
    *out++ = static_cast<char>(0xC0 | unit >> 6);
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
  } else {
    *out++ = static_cast<char>(0xE0 | unit >> 12);
    *out++ = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
  }
  return out;
}

const std::string& quote_macro() {
  static const std::string macro = gbk("#引号");
  return macro;
}

std::string expand_quote_macro(std::string_view marker) {
  if (marker.find('#') == std::string_view::npos) return std::string(marker);
  return replace_text(marker, quote_macro(), "\"", 1, -1, true);
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

// A digit's position in kHexDigits minus one: 0..15, or -2 when it is none.
int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -2;
}

constexpr bool is_unreserved(unsigned char c) {
  return c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

bool is_gbk_family(std::string_view lower_name) {
  for (const std::string_view name :
       {"gbk", "cp936", "x-gbk", "windows-936", "ms936", "gb2312", "csgb2312", "gb_2312-80"}) {
    if (lower_name == name) return true;
  }
  return false;
}

// A declared charset as iconv may see it: surrounding blanks and quotes go;
// only name characters are allowed, so no "//TRANSLIT"-style suffix or path
// reaches the converter.
std::string clean_charset_name(std::string_view charset) {
  const auto is_edge = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; };
  while (!charset.empty() && is_edge(charset.front())) charset.remove_prefix(1);
  while (!charset.empty() && is_edge(charset.back())) charset.remove_suffix(1);
  if (charset.empty() || charset.size() > 64) return {};
  for (const char c : charset) {
    const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                    c == '-' || c == '_' || c == '.' || c == ':';
    if (!ok) return {};
  }
  return std::string(charset);
}

std::string_view without_utf8_bom(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return text;
}

// Decodes bytes with an open converter into UTF-8; undecodable bytes become
// U+FFFD one at a time, a sequence cut off at the end becomes one U+FFFD.
std::string iconv_to_utf8(iconv_t cd, std::string_view bytes) {
  std::string out(bytes.size() * 2 + 16, '\0');
  std::size_t written = 0;
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  const auto room = [&](std::size_t needed) {
    if (out.size() - written < needed) out.resize(out.size() * 2 + needed);
  };
  const auto put_replacement = [&] {
    room(3);
    std::memcpy(out.data() + written, "\xEF\xBF\xBD", 3);
    written += 3;
  };
  bool flushing = false;
  for (;;) {
    char* o = out.data() + written;
    std::size_t o_left = out.size() - written;
    // After the input is used up, one more call writes out any shift state.
    const std::size_t result =
        flushing ? iconv(cd, nullptr, nullptr, &o, &o_left) : iconv(cd, &in, &in_left, &o, &o_left);
    written = out.size() - o_left;
    if (result != static_cast<std::size_t>(-1)) {
      if (flushing) break;
      flushing = true;
      continue;
    }
    if (errno == E2BIG) {
      room(out.size());
    } else if (errno == EILSEQ && !flushing && in_left > 0) {
      put_replacement();
      ++in;
      --in_left;
    } else {
      if (errno == EINVAL) put_replacement();
      if (flushing) break;
      flushing = true;
      in_left = 0;
    }
  }
  out.resize(written);
  return out;
}

}  // namespace

std::string text_between(std::string_view text, std::string_view left, std::string_view right,
                         int start, bool case_insensitive) {
  const std::string left_marker = expand_quote_macro(left);
  const std::string right_marker = expand_quote_macro(right);
  const int found = find_text(text, left_marker, start, case_insensitive);
  if (found == -1) return {};
  // 64-bit so that a marker ending near INT_MAX cannot overflow; past the end
  // the right marker simply is not found.
  const std::int64_t a = static_cast<std::int64_t>(found) + text_length(left_marker);
  if (a > text_length(text)) return {};
  const int b = find_text(text, right_marker, static_cast<int>(a), case_insensitive);
  if (b == -1) return {};
  return text_mid(text, static_cast<int>(a), static_cast<int>(b - a));
}

std::string replace_many(std::string_view text, int count, int start, bool case_sensitive,
                         std::string_view find1, std::string_view replacement1,
                         std::string_view find2, std::string_view replacement2,
                         std::string_view find3, std::string_view replacement3,
                         std::string_view find4, std::string_view replacement4,
                         std::string_view find5, std::string_view replacement5) {
  if (start == 0) start = 1;
  const std::string_view pairs[5][2] = {{find1, replacement1},
                                        {find2, replacement2},
                                        {find3, replacement3},
                                        {find4, replacement4},
                                        {find5, replacement5}};
  std::string result(text);
  for (const auto& pair : pairs) {
    if (pair[0].empty()) continue;
    result = replace_text(result, pair[0], pair[1], start, count, case_sensitive);
  }
  return result;
}

std::string url_encode(std::string_view text, bool keep_unreserved, bool as_utf8) {
  if (text.empty()) return {};
  const std::string utf8 = as_utf8 ? gbk_to_utf8(text) : std::string();
  const std::string_view source = as_utf8 ? std::string_view(utf8) : text;
  std::string out;
  out.reserve(source.size() * 3);
  for (const char c : source) {
    const auto byte = static_cast<unsigned char>(c);
    if (keep_unreserved && is_unreserved(byte)) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHexDigits[byte >> 4]);
      out.push_back(kHexDigits[byte & 0x0F]);
    }
  }
  return out;
}

std::string url_decode(std::string_view text, bool from_utf8) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      out.push_back(text[i++]);
      continue;
    }
    // A digit missing at the end counts as 0, one that is not hexadecimal as
    // -2; the byte is formed from them all the same and cut to 8 bits.
    const int high = i + 1 < text.size() ? hex_value(text[i + 1]) : 0;
    const int low = i + 2 < text.size() ? hex_value(text[i + 2]) : 0;
    out.append(text_of_byte((high * 16 + low) & 0xFF));
    i += 3;
  }
  return from_utf8 ? utf8_to_gbk(out) : out;
}

std::u16string gbk_to_utf16(std::string_view gbk) {
  const GbkTable& table = gbk_table();
  const unsigned char* p = bytes_of(gbk);
  const std::size_t n = gbk.size();
  std::u16string out(n, u'\0');
  std::size_t written = 0;
  std::size_t i = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      out[written++] = p[i++];
    } else {
      out[written++] = decode_gbk(table, p, n, i);
    }
  }
  out.resize(written);
  return out;
}

std::string utf16_to_gbk(std::u16string_view utf16) {
  const GbkTable& table = gbk_table();
  const std::size_t n = utf16.size();
  std::string out(n * 2, '\0');
  char* o = out.data();
  for (std::size_t i = 0; i < n && utf16[i] != 0; ++i) {
    const char16_t unit = utf16[i];
    if (unit < 0x80) {
      *o++ = static_cast<char>(unit);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      // A surrogate pair is a character beyond the BMP, which GBK lacks: one
      // "?" for the pair, and one for a surrogate standing alone.
      if (unit <= 0xDBFF && i + 1 < n && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) ++i;
      *o++ = kUnmappable;
    } else {
      o = encode_gbk(table, unit, o);
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

std::string gbk_to_utf8(std::string_view gbk) {
  const GbkTable& table = gbk_table();
  const unsigned char* p = bytes_of(gbk);
  const std::size_t n = gbk.size();
  // Two GBK bytes give at most three UTF-8 bytes; a lone or invalid byte can
  // give three, so the buffer grows when such bytes pile up.
  std::string out(n + n / 2 + 16, '\0');
  std::size_t written = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t run = ascii_run(p + i, n - i);
    if (out.size() - written < run) out.resize(written + run + n / 2 + 16);
    std::memcpy(out.data() + written, p + i, run);
    written += run;
    i += run;
    char* o = out.data() + written;
    while (i < n && p[i] >= 0x80) {
      if (static_cast<std::size_t>(out.data() + out.size() - o) < 4) {
        written = static_cast<std::size_t>(o - out.data());
        out.resize(out.size() * 2 + 16);
        o = out.data() + written;
      }
      const unsigned lead = p[i];
      if (lead != 0x80 && lead != 0xFF && i + 1 < n) {
        const std::uint32_t packed = table.to_utf8[lead << 8 | p[i + 1]];
        if (packed != 0) {
          static_assert(std::endian::native == std::endian::little,
                        "to_utf8 is stored first byte lowest");
          std::memcpy(o, &packed, 4);  // the count byte is overwritten or cut off later
          o += packed >> 24;
          i += 2;
          continue;
        }
      }
      o = encode_utf8(decode_gbk(table, p, n, i), o);
    }
    written = static_cast<std::size_t>(o - out.data());
  }
  out.resize(written);
  return out;
}

std::string utf8_to_gbk(std::string_view utf8) {
  const GbkTable& table = gbk_table();
  const unsigned char* p = bytes_of(utf8);
  const std::size_t n = utf8.size();
  // No sequence grows: ASCII stays one byte, a character of two or more bytes
  // becomes at most two, an ill-formed piece of at least one byte becomes one.
  std::string out(n, '\0');
  char* o = out.data();
  std::size_t i = 0;
  while (i < n) {
    const std::size_t run = ascii_run(p + i, n - i);
    std::memcpy(o, p + i, run);
    o += run;
    i += run;
    while (i < n && p[i] >= 0x80) {
      // Most Chinese text is three-byte sequences of the BMP: read them
      // directly, and leave every other case to the full decoder.
      if (i + 2 < n && (p[i] & 0xF0) == 0xE0 && (p[i + 1] & 0xC0) == 0x80 &&
          (p[i + 2] & 0xC0) == 0x80) {
        const unsigned code = (p[i] & 0x0FU) << 12 | (p[i + 1] & 0x3FU) << 6 | (p[i + 2] & 0x3FU);
        if (code >= 0x800 && (code < 0xD800 || code > 0xDFFF)) {
          o = encode_gbk(table, static_cast<std::int32_t>(code), o);
          i += 3;
          continue;
        }
      }
      o = encode_gbk(table, decode_utf8(p, n, i), o);
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

std::optional<std::string> charset_to_gbk(std::string_view bytes, std::string_view charset) {
  const std::string name = clean_charset_name(charset);
  if (name.empty()) return std::nullopt;
  const std::string lower = to_lower(name);
  if (is_gbk_family(lower)) return std::string(bytes);
  if (lower == "utf-8" || lower == "utf8") return utf8_to_gbk(without_utf8_bom(bytes));
  const iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  const std::string utf8 = iconv_to_utf8(cd, bytes);
  iconv_close(cd);
  return utf8_to_gbk(without_utf8_bom(utf8));
}

}  // namespace trovix
