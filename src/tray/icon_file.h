// Reading one image out of an icon file (the .ico format): its directory
// entry, its bytes, and the decoding of bitmap entries into pixels. The bytes
// are untrusted: nothing here reads outside them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace trovix {

enum class IconImageFormat { png, bitmap };

// One image of an icon file as its directory entry describes it.
struct IconImage {
  int entry_width = 0;   // the entry's width byte: 0 stands for 256
  int entry_height = 0;  // the entry's height byte: 0 stands for 256
  IconImageFormat format = IconImageFormat::png;
  std::string_view data;  // the image bytes, a view into the file's bytes
};

// The image `index` (0-based) of an icon file, or nothing when the bytes are
// not an icon file, the index lies beyond the directory, or the entry's
// offset and size reach past the end. A bitmap entry must also decode.
std::optional<IconImage> icon_image(std::string_view file, int index);

// A decoded bitmap entry: premultiplication-free ARGB, top row first.
struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// Decodes the device-independent bitmap of an icon entry (header, palette,
// colour rows bottom-up, then the 1-bit transparency mask). Nothing when the
// header is not one of the uncompressed 1, 4, 8, 24 or 32-bit kinds, the size
// is not 1 to 256 pixels a side, or the bytes end early.
std::optional<IconPixels> decode_icon_bitmap(std::string_view data);

}  // namespace trovix
