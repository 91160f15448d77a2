// The magnet link of a detail page of engine 3's site: the text between the
// "Magnet Link" panel's two markers.
#pragma once

#include <string>
#include <string_view>

namespace trovix {

// The left marker (81 bytes, starting with a line feed) and the right marker.
extern const std::string_view kMagnetLeftMarker;
extern const std::string_view kMagnetRightMarker;

// The magnet link cut out of `page`, empty when the page lacks the markers.
std::string extract_magnet_link(std::string_view page);

// Fetches the detail page at `address` (GET, nothing else set) and cuts the
// link out of it; empty when the page cannot be fetched or lacks the
// markers. Blocks; a ScopedRequestCancel on the calling thread abandons it.
std::string fetch_magnet_link(std::string_view address);

// What the magnet window and the command line show after a failure.
std::string magnet_failure_text();  // "链接提取失败请重试！", GBK

}  // namespace trovix
