// Cutting values out of pages and moving text between encodings: the only
// unit that knows the code-page converter (code page 936 on the GBK side).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trovix {

std::string text_between(std::string_view text, std::string_view left, std::string_view right,
                         int start = 1, bool case_insensitive = false);
// count -1 (or omitted) means every occurrence in each pass.
std::string replace_many(std::string_view text, int count, int start, bool case_sensitive,
                         std::string_view find1, std::string_view replacement1,
                         std::string_view find2 = {}, std::string_view replacement2 = {},
                         std::string_view find3 = {}, std::string_view replacement3 = {},
                         std::string_view find4 = {}, std::string_view replacement4 = {},
                         std::string_view find5 = {}, std::string_view replacement5 = {});
std::string url_encode(std::string_view text, bool keep_unreserved = false, bool as_utf8 = false);
std::string url_decode(std::string_view text, bool from_utf8 = false);

std::u16string gbk_to_utf16(std::string_view gbk);
std::string utf16_to_gbk(std::u16string_view utf16);
std::string gbk_to_utf8(std::string_view gbk);
std::string utf8_to_gbk(std::string_view utf8);

// Decodes bytes in a named charset (as a page declares it) and re-encodes them
// as GBK. Empty optional when the converter does not know the name.
std::optional<std::string> charset_to_gbk(std::string_view bytes, std::string_view charset);

// Source files are UTF-8; Chinese literals go through this once, e.g.
//   static const std::string kMarker = gbk("搜索到");
inline std::string gbk(std::string_view utf8_literal) { return utf8_to_gbk(utf8_literal); }

}  // namespace trovix
