#include "tray/icon_file.h"

#include <array>

namespace trovix {

namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1a\n", 8};
constexpr int kLargestSide = 256;

std::uint32_t read_u16(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

std::uint32_t read_u32(std::string_view bytes, std::size_t at) {
  return read_u16(bytes, at) | (read_u16(bytes, at + 2) << 16);
}

std::uint64_t row_stride(std::uint64_t width, std::uint64_t bits) {
  return (width * bits + 31) / 32 * 4;
}

}  // namespace

std::optional<IconImage> icon_image(std::string_view file, int index) {
  if (index < 0 || file.size() < kHeaderSize) return std::nullopt;
  // Reserved 0, type 1 (icon; 2 would be a cursor), then the image count.
  if (read_u16(file, 0) != 0 || read_u16(file, 2) != 1) return std::nullopt;
  if (static_cast<std::uint32_t>(index) >= read_u16(file, 4)) return std::nullopt;
  const std::uint64_t entry = kHeaderSize + kEntrySize * static_cast<std::uint64_t>(index);
  if (entry + kEntrySize > file.size()) return std::nullopt;

  const std::uint64_t size = read_u32(file, entry + 8);
  const std::uint64_t offset = read_u32(file, entry + 12);
  if (size == 0 || offset > file.size() || size > file.size() - offset) return std::nullopt;

  IconImage image;
  image.entry_width = static_cast<unsigned char>(file[entry]);
  image.entry_height = static_cast<unsigned char>(file[entry + 1]);
  image.data = file.substr(offset, size);
  if (image.data.starts_with(kPngSignature)) {
    image.format = IconImageFormat::png;
  } else {
    image.format = IconImageFormat::bitmap;
    if (!decode_icon_bitmap(image.data)) return std::nullopt;
  }
  return image;
}

std::optional<IconPixels> decode_icon_bitmap(std::string_view data) {
  if (data.size() < 40) return std::nullopt;
  const std::uint64_t header_size = read_u32(data, 0);
  // The classic 40-byte header or one of its longer successors.
  if (header_size < 40 || header_size > data.size()) return std::nullopt;
  const auto width = static_cast<std::int32_t>(read_u32(data, 4));
  const auto double_height = static_cast<std::int32_t>(read_u32(data, 8));
  const std::uint32_t planes = read_u16(data, 12);
  const std::uint32_t bits = read_u16(data, 14);
  const std::uint32_t compression = read_u32(data, 16);
  const std::uint32_t colours_used = read_u32(data, 32);
  // The height counts the colour rows and the mask rows together.
  if (width < 1 || width > kLargestSide || double_height < 2 || double_height % 2 != 0 ||
      double_height / 2 > kLargestSide || planes > 1 || compression != 0)
    return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  const int height = double_height / 2;

  std::uint64_t palette_count = 0;
  if (bits <= 8) {
    palette_count = colours_used == 0 ? (1u << bits) : colours_used;
    if (palette_count > (1u << bits)) return std::nullopt;
  }
  const std::uint64_t palette_at = header_size;
  const std::uint64_t pixels_at = palette_at + 4 * palette_count;
  const std::uint64_t colour_stride = row_stride(width, bits);
  const std::uint64_t mask_stride = row_stride(width, 1);
  const std::uint64_t mask_at = pixels_at + colour_stride * height;
  const std::uint64_t end_with_mask = mask_at + mask_stride * height;
  // 32-bit images carry their own alpha; some writers leave the mask out.
  const bool has_mask = end_with_mask <= data.size();
  if (!has_mask && (bits != 32 || mask_at > data.size())) return std::nullopt;

  IconPixels pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.argb.resize(static_cast<std::size_t>(width) * height);
  bool any_alpha = false;
  for (int y = 0; y < height; ++y) {
    const std::uint64_t row = pixels_at + colour_stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      std::uint32_t argb = 0;
      if (bits <= 8) {
        const std::uint64_t bit = static_cast<std::uint64_t>(x) * bits;
        const auto byte = static_cast<unsigned char>(data[row + bit / 8]);
        const unsigned shift = 8 - bits - bit % 8;
        const std::uint32_t entry = (byte >> shift) & ((1u << bits) - 1);
        if (entry >= palette_count) return std::nullopt;
        argb = 0xFF000000u | (read_u32(data, palette_at + 4 * entry) & 0x00FFFFFFu);
      } else if (bits == 24) {
        const std::uint64_t at = row + 3 * static_cast<std::uint64_t>(x);
        argb = 0xFF000000u | read_u16(data, at) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + 2])) << 16);
      } else {
        argb = read_u32(data, row + 4 * static_cast<std::uint64_t>(x));
        any_alpha = any_alpha || (argb >> 24) != 0;
      }
      pixels.argb[static_cast<std::size_t>(y) * width + x] = argb;
    }
  }
  // An image with an alpha channel that is used ignores the mask; otherwise a
  // set mask bit makes the pixel transparent.
  if (bits == 32 && any_alpha) return pixels;
  for (int y = 0; y < height; ++y) {
    const std::uint64_t row = mask_at + mask_stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      std::uint32_t& argb = pixels.argb[static_cast<std::size_t>(y) * width + x];
      const bool transparent =
          has_mask && ((static_cast<unsigned char>(data[row + x / 8]) >> (7 - x % 8)) & 1u);
      argb = transparent ? 0u : (argb | 0xFF000000u);
    }
  }
  return pixels;
}

}  // namespace trovix
