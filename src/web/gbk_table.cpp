#include "web/gbk_table.h"

#include <iconv.h>

#include <memory>

namespace trovix {
namespace {

constexpr bool is_trail(unsigned b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// A function, not a constant: this table may be built from another file's
// static initialiser, before any dynamic initialisation here has run.
iconv_t no_converter() { return reinterpret_cast<iconv_t>(-1); }

// glibc knows code page 936 as "CP936" (byte 0x80 is the euro sign there);
// "GBK" is the same table in current glibc and serves as a fallback name.
iconv_t open_cp936(bool from_cp936, const char* other) {
  for (const char* name : {"CP936", "GBK"}) {
    const iconv_t cd = from_cp936 ? iconv_open(other, name) : iconv_open(name, other);
    if (cd != no_converter()) return cd;
  }
  return no_converter();
}

// Converts one character; returns the number of output bytes, 0 on failure.
std::size_t convert_one(iconv_t cd, const unsigned char* in, std::size_t in_size,
                        unsigned char* out, std::size_t out_size) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in_ptr = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
  char* out_ptr = reinterpret_cast<char*>(out);
  std::size_t in_left = in_size;
  std::size_t out_left = out_size;
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) ||
      in_left != 0) {
    return 0;
  }
  return out_size - out_left;
}

void fill_to_unicode(GbkTable& table) {
  for (auto& unit : table.to_unicode) unit = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0; trail <= 0xFF; ++trail) {
      table.to_unicode[lead << 8 | trail] = is_trail(trail) ? u'\uFFFD' : 0;
    }
  }
  table.to_unicode[0x80] = u'\uFFFD';
  table.to_unicode[0xFF] = u'\uFFFD';

  const iconv_t cd = open_cp936(true, "UTF-16LE");
  if (cd == no_converter()) return;
  const auto decode = [&](const unsigned char* in, std::size_t size) -> char16_t {
    unsigned char out[8];
    // Only a single UTF-16 unit counts; nothing in code page 936 lies beyond
    // the BMP, and a unit of 0 would collide with the "lone lead" mark.
    if (convert_one(cd, in, size, out, sizeof out) != 2) return u'\uFFFD';
    const auto unit = static_cast<char16_t>(out[0] | out[1] << 8);
    return unit == 0 ? u'\uFFFD' : unit;
  };
  for (const unsigned char single : {0x80, 0xFF}) {
    table.to_unicode[single] = decode(&single, 1);
  }
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (!is_trail(trail)) continue;
      const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                     static_cast<unsigned char>(trail)};
      table.to_unicode[lead << 8 | trail] = decode(pair, 2);
    }
  }
  iconv_close(cd);
}

void fill_from_unicode(GbkTable& table) {
  for (unsigned cp = 0; cp < 0x80; ++cp) table.from_unicode[cp] = static_cast<std::uint16_t>(cp);
  for (unsigned cp = 0x80; cp < 0x10000; ++cp) table.from_unicode[cp] = 0;

  const iconv_t cd = open_cp936(false, "UTF-16LE");
  if (cd == no_converter()) return;
  for (unsigned cp = 0x80; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const unsigned char in[2] = {static_cast<unsigned char>(cp & 0xFF),
                                 static_cast<unsigned char>(cp >> 8)};
    unsigned char out[8];
    const std::size_t size = convert_one(cd, in, 2, out, sizeof out);
    if (size == 1 && out[0] >= 0x80) {
      table.from_unicode[cp] = out[0];
    } else if (size == 2 && out[0] >= 0x81) {
      table.from_unicode[cp] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
    }
  }
  iconv_close(cd);
}

void fill_to_utf8(GbkTable& table) {
  for (unsigned index = 0; index < 0x10000; ++index) {
    const unsigned unit = table.to_unicode[index];
    std::uint32_t packed = 0;
    if (unit == 0) {
      packed = 0;  // a lone lead byte, as in to_unicode
    } else if (unit < 0x80) {
      packed = unit | 1U << 24;
    } else if (unit < 0x800) {
      packed = (0xC0 | unit >> 6) | (0x80 | (unit & 0x3F)) << 8 | 2U << 24;
    } else {
      packed = (0xE0 | unit >> 12) | (0x80 | (unit >> 6 & 0x3F)) << 8 |
               (0x80 | (unit & 0x3F)) << 16 | 3U << 24;
    }
    table.to_utf8[index] = packed;
  }
}

std::unique_ptr<GbkTable> build_table() {
  auto table = std::make_unique<GbkTable>();
  fill_to_unicode(*table);
  fill_from_unicode(*table);
  fill_to_utf8(*table);
  return table;
}

}  // namespace

const GbkTable& gbk_table() {
  // A function-local static: built once, thread-safe, and usable from other
  // files' static initialisers (Chinese literals are converted at start-up).
  static const std::unique_ptr<GbkTable> table = build_table();
  return *table;
}

}  // namespace trovix
