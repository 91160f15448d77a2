#include "web/gbk_scan.h"

#include <cstring>

namespace trovix::scan {
namespace {

// Whether offset q begins a character, given that `base` does and base <= q.
// Only the run of high bytes right before q matters: the byte before that run
// is a one-byte character or a second byte, so the run begins a character and
// q does exactly when the run has even length. The callers move `base` past
// every q they test, so the look-back stays linear over a whole search.
bool starts_character(std::string_view text, std::size_t base, std::size_t q) {
  std::size_t j = q;
  while (j > base && is_lead(text[j - 1])) --j;
  return ((q - j) & 1U) == 0;
}

std::size_t find_exact(std::string_view text, std::string_view needle, std::size_t from) {
  std::size_t cursor = from;
  while (cursor < text.size()) {
    const void* hit =
        memmem(text.data() + cursor, text.size() - cursor, needle.data(), needle.size());
    if (hit == nullptr) return kNone;
    const auto q = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (starts_character(text, cursor, q)) return q;
    cursor = q + 1;  // q is a second byte, so q + 1 begins a character
  }
  return kNone;
}

bool rest_matches_folded(const char* at, std::string_view needle) {
  bool trail = is_lead(needle[0]);
  for (std::size_t i = 1; i < needle.size(); ++i) {
    const char s = needle[i];
    if (trail ? at[i] != s : fold(at[i]) != fold(s)) return false;
    trail = !trail && is_lead(s);
  }
  return true;
}

std::size_t find_folded(std::string_view text, std::string_view needle, std::size_t from) {
  const std::size_t last = text.size() - needle.size();  // callers ensure needle fits
  const char lower = fold(needle[0]);
  const char upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - ('a' - 'A')) : lower;
  // Next offsets of either spelling of the first byte, refreshed only once the
  // cursor has passed them, so each byte is looked at a bounded number of times.
  const auto next_of = [&](char c, std::size_t cursor) -> std::size_t {
    const void* hit = std::memchr(text.data() + cursor, c, last + 1 - cursor);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : kNone;
  };
  std::size_t cursor = from;
  std::size_t base = from;
  std::size_t next_lower = next_of(lower, cursor);
  std::size_t next_upper = upper == lower ? kNone : next_of(upper, cursor);
  while (cursor <= last) {
    if (next_lower < cursor) next_lower = next_of(lower, cursor);
    if (next_upper < cursor) next_upper = next_of(upper, cursor);
    const std::size_t q = next_lower < next_upper ? next_lower : next_upper;
    if (q == kNone) return kNone;
    if (rest_matches_folded(text.data() + q, needle)) {
      if (starts_character(text, base, q)) return q;
      base = q + 1;
    }
    cursor = q + 1;
  }
  return kNone;
}

}  // namespace

std::size_t find_at_character(std::string_view text, std::string_view needle, std::size_t from,
                              bool ignore_case) {
  if (needle.empty() || from >= text.size() || needle.size() > text.size() - from) return kNone;
  return ignore_case ? find_folded(text, needle, from) : find_exact(text, needle, from);
}

}  // namespace trovix::scan
