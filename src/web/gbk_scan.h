// Walking GBK text by characters: a byte of 0x80 or above starts a two-byte
// character. Shared by the text operations and the codecs.
#pragma once

#include <cstddef>
#include <string_view>

namespace trovix::scan {

inline constexpr std::size_t kNone = std::string_view::npos;

constexpr bool is_lead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Bytes of the character that starts at i (a lead byte at the very end is a
// character of its own).
constexpr std::size_t character_size(std::string_view text, std::size_t i) {
  return is_lead(text[i]) && i + 1 < text.size() ? 2 : 1;
}

// ASCII letters fold to lower case; every other byte stays as it is.
constexpr char fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Offset of the first occurrence of a non-empty needle that begins at a
// character start, scanning from `from` (itself taken as a character start),
// or kNone. With ignore_case, ASCII letters match regardless of case, except
// second bytes of the needle's two-byte characters, which match exactly.
std::size_t find_at_character(std::string_view text, std::string_view needle, std::size_t from,
                              bool ignore_case);

}  // namespace trovix::scan
