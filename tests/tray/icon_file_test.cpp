#include "tray/icon_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace trovix {
namespace {

std::string read_file(const std::string& name) {
  std::ifstream in(std::string(TROVIX_TRAY_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void put_u16(std::string& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void put_u32(std::string& bytes, std::size_t at, std::uint32_t value) {
  put_u16(bytes, at, value & 0xFFFF);
  put_u16(bytes, at + 2, value >> 16);
}

// The offsets of entry `index`'s fields in the directory.
std::size_t entry_size_at(int index) { return 6 + 16 * index + 8; }
std::size_t entry_offset_at(int index) { return 6 + 16 * index + 12; }

std::uint32_t alpha(std::uint32_t argb) { return argb >> 24; }

TEST(IconImage, ReadsEveryEntryOfARealIconFileBitmapsAndPng) {
  const std::string file = read_file("trovix.ico");
  ASSERT_FALSE(file.empty());
  struct Expected {
    int width;
    IconImageFormat format;
  };
  const Expected expected[] = {{16, IconImageFormat::bitmap},
                               {32, IconImageFormat::bitmap},
                               {48, IconImageFormat::bitmap},
                               {0, IconImageFormat::png}};  // 0 stands for 256
  for (int i = 0; i < 4; ++i) {
    const std::optional<IconImage> image = icon_image(file, i);
    ASSERT_TRUE(image) << i;
    EXPECT_EQ(image->entry_width, expected[i].width) << i;
    EXPECT_EQ(image->entry_height, expected[i].width) << i;
    EXPECT_EQ(image->format, expected[i].format) << i;
  }
  EXPECT_FALSE(icon_image(file, 4));
  EXPECT_FALSE(icon_image(file, -1));
}

TEST(IconImage, DecodesThirtyTwoBitAndPaletteBitmaps) {
  const std::string file = read_file("trovix.ico");
  const std::optional<IconPixels> rgba = decode_icon_bitmap(icon_image(file, 1)->data);
  ASSERT_TRUE(rgba);
  ASSERT_EQ(rgba->width, 32);
  ASSERT_EQ(rgba->height, 32);
  EXPECT_EQ(alpha(rgba->argb[0]), 0u);                 // outside the rounded tile
  const std::uint32_t tile = rgba->argb[16 * 32 + 3];  // left edge of the tile, middle row
  EXPECT_EQ(alpha(tile), 255u);
  EXPECT_GT(tile & 0xFF, (tile >> 16) & 0xFF);  // blue over red

  // A 16-colour image on white: its corner is opaque (near) white, its tile blue.
  const std::string palette = read_file("palette.ico");
  const std::optional<IconPixels> indexed = decode_icon_bitmap(icon_image(palette, 0)->data);
  ASSERT_TRUE(indexed);
  EXPECT_EQ(indexed->argb[0], 0xFFFEFEFFu);
  const std::uint32_t blue = indexed->argb[16 * 32 + 3];
  EXPECT_EQ(alpha(blue), 255u);
  EXPECT_GT(blue & 0xFF, (blue >> 16) & 0xFF);
}

TEST(IconImage, BytesThatAreNoUsableIconGiveNothing) {
  const std::string file = read_file("trovix.ico");
  auto changed = [&](auto change) {
    std::string copy = file;
    change(copy);
    return copy;
  };
  std::string claims_many("\0\0\1\0\xFF\xFF", 6);  // 65 535 images, no directory
  const struct {
    const char* what;
    std::string bytes;
    int index;
  } cases[] = {
      {"empty", "", 0},
      {"header only", std::string("\0\0\1\0\1\0", 6), 0},
      {"65 535 images claimed", claims_many, 0},
      {"65 535 claimed, last index", claims_many, 65534},
      {"index past the real entries", changed([](std::string& b) { put_u16(b, 4, 65535); }), 9},
      {"a cursor file", changed([](std::string& b) { put_u16(b, 2, 2); }), 0},
      {"not an icon at all", read_file("palette.ico").substr(22), 0},
      {"offset past the end",
       changed([](std::string& b) { put_u32(b, entry_offset_at(0), 1u << 30); }), 0},
      {"size past the end", changed([&](std::string& b) { put_u32(b, entry_size_at(3), 20000); }),
       3},
      {"offset plus size wraps", changed([](std::string& b) {
         put_u32(b, entry_offset_at(0), 0xFFFFFFF0u);
         put_u32(b, entry_size_at(0), 0x20);
       }),
       0},
      {"zero size", changed([](std::string& b) { put_u32(b, entry_size_at(0), 0); }), 0},
      {"cut short", file.substr(0, 70 + 500), 0},
  };
  for (const auto& c : cases) EXPECT_FALSE(icon_image(c.bytes, c.index)) << c.what;
}

TEST(IconBitmap, RefusesHeadersItCannotDrawAndRowsThatEndEarly) {
  const std::string file = read_file("trovix.ico");
  const std::string good(icon_image(file, 0)->data);
  ASSERT_TRUE(decode_icon_bitmap(good));
  auto changed = [&](std::size_t at, std::uint32_t value, bool wide = true) {
    std::string copy = good;
    wide ? put_u32(copy, at, value) : put_u16(copy, at, value);
    return copy;
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"header size too small", changed(0, 12)},
      {"header size past the data", changed(0, 100000)},
      {"no width", changed(4, 0)},
      {"negative width", changed(4, 0xFFFFFFF0u)},
      {"huge width", changed(4, 1u << 20)},
      {"odd height", changed(8, 31)},
      {"huge height", changed(8, 0x7FFFFFFEu)},
      {"compressed", changed(16, 1)},
      {"16 bits per pixel", changed(14, 16, false)},
      {"header alone", good.substr(0, 40)},
      {"rows cut", good.substr(0, 40 + 16 * 16 * 4 - 1)},
  };
  for (const auto& c : cases) EXPECT_FALSE(decode_icon_bitmap(c.bytes)) << c.what;

  // A 32-bit image whose writer left the mask out still decodes.
  EXPECT_TRUE(decode_icon_bitmap(good.substr(0, 40 + 16 * 16 * 4)));
  // A 4-bit image needs its mask, and its palette must hold its indices.
  const std::string indexed(icon_image(read_file("palette.ico"), 0)->data);
  EXPECT_FALSE(decode_icon_bitmap(indexed.substr(0, indexed.size() - 1)));
  std::string few_colours = indexed;
  put_u32(few_colours, 32, 1);
  EXPECT_FALSE(decode_icon_bitmap(few_colours));
}

}  // namespace
}  // namespace trovix
