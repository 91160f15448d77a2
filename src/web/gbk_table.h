// The code page 936 mapping in both directions, built once from the system's
// converter at first use and shared read-only by every thread.
#pragma once

#include <cstdint>

namespace trovix {

struct GbkTable {
  // Indexed by lead << 8 | trail for leads 0x81..0xFE: the UTF-16 unit, 0xFFFD
  // for a pair that maps to nothing, 0 when the trail byte cannot follow a lead
  // (the lead then stands alone). Entries 0x80 and 0xFF hold those single bytes.
  char16_t to_unicode[0x10000];
  // Indexed by a BMP code point: the GBK code (below 0x100 for a one-byte
  // character), 0 when code page 936 has no character for it.
  std::uint16_t from_unicode[0x10000];
  // to_unicode as UTF-8: up to three bytes in the low 24 bits (first byte
  // lowest), their count in the top byte; 0 where to_unicode holds 0.
  std::uint32_t to_utf8[0x10000];
};

// Thread-safe; the first call builds the table (a few milliseconds).
const GbkTable& gbk_table();

}  // namespace trovix
