#include "results/magnet_link.h"

#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {

const std::string_view kMagnetLeftMarker =
    "\n<div class=\"panel-header\">\nMagnet Link\n</div>\n<div class=\"panel-body\">\n<a href=\"";
const std::string_view kMagnetRightMarker = "\">";

std::string extract_magnet_link(std::string_view page) {
  return text_between(page, kMagnetLeftMarker, kMagnetRightMarker);
}

std::string fetch_magnet_link(std::string_view address) {
  // An empty address (no row selected) cannot be fetched.
  if (address.empty()) return {};
  return extract_magnet_link(WebRequest(address));
}

std::string magnet_failure_text() { return gbk("链接提取失败请重试！"); }

}  // namespace trovix
