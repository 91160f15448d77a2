#include "web/text_ops.h"

#include <locale.h>

#include <charconv>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "web/gbk_scan.h"

namespace trovix {
namespace {

using scan::is_lead;
using scan::kNone;

constexpr bool is_full_width_space(std::string_view t, std::size_t i) {
  return i + 1 < t.size() && static_cast<unsigned char>(t[i]) == 0xA1 &&
         static_cast<unsigned char>(t[i + 1]) == 0xA1;
}

// Length of the space (0 when none) at character start i: the ASCII space or
// the full-width space pair.
constexpr std::size_t space_at(std::string_view t, std::size_t i) {
  if (t[i] == ' ') return 1;
  return is_full_width_space(t, i) ? 2 : 0;
}

// A 1-based start as an offset: below 1 counts as 1; npos when it lies past
// the last byte.
std::size_t start_offset(std::string_view text, int start) {
  // A start below 1 counts as 1, which lies beyond the end of empty text.
  if (start < 1) return text.empty() ? kNone : 0;
  const auto offset = static_cast<std::size_t>(start) - 1;
  return offset < text.size() ? offset : kNone;
}

int position_of(std::size_t offset) {
  return offset < static_cast<std::size_t>(INT_MAX) ? static_cast<int>(offset) + 1 : -1;
}

// Full-width ASCII forms and the full-width space read as their ASCII
// counterparts, for the number readers. Only the bytes that can belong to a
// leading number are mapped: the first other character ends the prefix.
std::string number_prefix(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    std::size_t step = 1;
    if (is_lead(c)) {
      if (i + 1 >= text.size()) break;
      const auto lead = static_cast<unsigned char>(c);
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        c = static_cast<char>(trail - 0x80);
      } else if (lead == 0xA1 && trail == 0xA1) {
        c = ' ';
      } else {
        break;
      }
      step = 2;
    }
    const bool numeric = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' ||
                         c == 'E' || c == ' ' || (c >= '\t' && c <= '\r');
    if (!numeric) break;
    out.push_back(c);
    i += step;
  }
  return out;
}

struct NumberSpan {
  std::size_t begin = 0;  // first byte of the sign or the digits
  std::size_t sign_end = 0;
  std::size_t integer_end = 0;  // end of the sign and the integer digits
  std::size_t end = 0;          // end of the whole decimal number
  bool has_digits = false;
};

// Finds the longest leading decimal number: white space, an optional sign,
// digits and, when wanted, a fraction and an exponent.
NumberSpan scan_number(std::string_view s, bool with_fraction) {
  NumberSpan span;
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  span.begin = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  span.sign_end = i;
  const auto digits_from = [&](std::size_t k) {
    while (k < s.size() && s[k] >= '0' && s[k] <= '9') ++k;
    return k;
  };
  std::size_t j = digits_from(i);
  span.has_digits = j > i;
  span.integer_end = j;
  if (with_fraction && j < s.size() && s[j] == '.') {
    const std::size_t k = digits_from(j + 1);
    if (span.has_digits || k > j + 1) {
      span.has_digits = true;
      j = k;
    }
  }
  if (with_fraction && span.has_digits && j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
    std::size_t k = j + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    const std::size_t e = digits_from(k);
    if (e > k) j = e;
  }
  span.end = j;
  return span;
}

// The C locale, so that a locale the GUI toolkit installs never changes how a
// decimal point is read.
locale_t c_locale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return locale;
}

}  // namespace

int text_length(std::string_view text) {
  return text.size() < static_cast<std::size_t>(INT_MAX) ? static_cast<int>(text.size()) : INT_MAX;
}

int find_text(std::string_view text, std::string_view search, int start, bool case_insensitive) {
  const std::size_t from = start_offset(text, start);
  if (from == kNone) return -1;
  if (search.empty()) return 1;
  return position_of(scan::find_at_character(text, search, from, case_insensitive));
}

std::string text_mid(std::string_view text, int start, int length) {
  if (length <= 0 || start < 1) return {};
  const auto offset = static_cast<std::size_t>(start) - 1;
  if (offset >= text.size()) return {};
  return std::string(text.substr(offset, static_cast<std::size_t>(length)));
}

std::string text_left(std::string_view text, int count) {
  if (count <= 0) return {};
  return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string text_right(std::string_view text, int count) {
  if (count <= 0) return {};
  const auto n = static_cast<std::size_t>(count);
  return std::string(n >= text.size() ? text : text.substr(text.size() - n));
}

std::string replace_text(std::string_view text, std::string_view find, std::string_view replacement,
                         int start, int count, bool case_sensitive) {
  std::size_t pos = start_offset(text, start);
  if (text.empty() || find.empty() || pos == kNone || count == 0) return std::string(text);
  // Any negative count means every occurrence.
  std::size_t left = count < 0 ? kNone : static_cast<std::size_t>(count);
  std::string out(text.substr(0, pos));
  while (left > 0) {
    const std::size_t hit = scan::find_at_character(text, find, pos, !case_sensitive);
    if (hit == kNone) break;
    out.append(text.substr(pos, hit - pos));
    out.append(replacement);
    pos = hit + find.size();
    if (left != kNone) --left;
  }
  out.append(text.substr(pos));
  return out;
}

std::vector<std::string> split_text(std::string_view text, std::string_view delimiter,
                                    int max_count) {
  std::vector<std::string> pieces;
  if (text.empty() || (max_count <= 0 && max_count != -1)) return pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  const std::size_t limit = max_count == -1 ? kNone : static_cast<std::size_t>(max_count);
  std::size_t pos = 0;
  while (pieces.size() < limit) {
    const std::size_t hit = scan::find_at_character(text, delimiter, pos, false);
    if (hit == kNone) {
      if (pos < text.size()) pieces.emplace_back(text.substr(pos));
      break;
    }
    pieces.emplace_back(text.substr(pos, hit - pos));
    pos = hit + delimiter.size();
  }
  return pieces;
}

std::string trim_text(std::string_view text) {
  // The trailing run is found walking forwards: walking backwards cannot tell a
  // full-width space from the second half of another character.
  std::size_t i = 0;
  std::size_t first = kNone;
  std::size_t last_end = 0;
  while (i < text.size()) {
    const std::size_t space = space_at(text, i);
    if (space > 0) {
      i += space;
      continue;
    }
    if (first == kNone) first = i;
    i += scan::character_size(text, i);
    last_end = i;
  }
  if (first == kNone) return {};
  return std::string(text.substr(first, last_end - first));
}

std::string remove_spaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t space = space_at(text, i);
    if (space > 0) {
      i += space;
      continue;
    }
    const std::size_t size = scan::character_size(text, i);
    out.append(text.substr(i, size));
    i += size;
  }
  return out;
}

int compare_text(std::string_view a, std::string_view b, bool case_sensitive) {
  // Both texts share the character boundaries of their common prefix, so one
  // index walks both; a second byte is compared exactly, never case-folded.
  std::size_t i = 0;
  bool trail = false;
  while (i < a.size() && i < b.size()) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (!trail && !case_sensitive) {
      x = static_cast<unsigned char>(scan::fold(static_cast<char>(x)));
      y = static_cast<unsigned char>(scan::fold(static_cast<char>(y)));
    }
    if (x != y) return x < y ? -1 : 1;
    trail = !trail && x >= 0x80;
    ++i;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string to_lower(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); i += scan::character_size(out, i)) {
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] + ('a' - 'A'));
  }
  return out;
}

std::string to_upper(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); i += scan::character_size(out, i)) {
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - ('a' - 'A'));
  }
  return out;
}

double to_number(std::string_view text) {
  const std::string s = number_prefix(text);
  const NumberSpan span = scan_number(s, true);
  if (!span.has_digits) return 0.0;
  // Only the validated decimal part reaches strtod, so hexadecimal, "inf" and
  // "nan" forms are never read; overflow gives infinity as strtod does.
  const std::string number = s.substr(span.begin, span.end - span.begin);
  return strtod_l(number.c_str(), nullptr, c_locale());
}

std::int32_t to_int(std::string_view text) {
  const std::string s = number_prefix(text);
  const NumberSpan span = scan_number(s, false);
  if (!span.has_digits) return 0;
  const bool negative = s[span.begin] == '-';
  // Accumulated towards the sign so that INT32_MIN itself is reachable; values
  // outside 32 bits saturate.
  std::int64_t value = 0;
  for (std::size_t i = span.sign_end; i < span.integer_end; ++i) {
    const int digit = s[i] - '0';
    value = value * 10 + (negative ? -digit : digit);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
  }
  return static_cast<std::int32_t>(value);
}

std::string number_to_text(std::int64_t value) { return std::to_string(value); }

std::string number_to_text(int value) { return std::to_string(value); }

std::string number_to_text(double value) {
  // std::to_chars with a precision formats exactly as "%.13g" in the C locale.
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  return std::string(buffer, result.ptr);
}

std::string text_of_byte(int value) {
  const auto byte = static_cast<unsigned char>(value & 0xFF);
  if (byte == 0) return {};
  return std::string(1, static_cast<char>(byte));
}

std::string hex_text(std::int64_t value) {
  // A negative value shows its 64-bit two's complement.
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(value), 16);
  std::string out(buffer, result.ptr);
  for (char& c : out) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - ('a' - 'A'));
  }
  return out;
}

Bytes text_to_bytes(std::string_view text) { return Bytes(text); }

std::string bytes_to_text(std::string_view bytes) {
  return std::string(bytes.substr(0, bytes.find('\0')));
}

}  // namespace trovix
