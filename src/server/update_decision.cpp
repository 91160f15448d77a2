#include "server/update_decision.h"

#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {

bool update_offered(std::string_view current_version, std::string_view newest_version) {
  const std::string newest = trim_text(newest_version);
  if (newest.empty()) return false;
  return trim_text(current_version) != newest;
}

std::string countdown_caption(int seconds_left) {
  static const std::string suffix = gbk("秒后自动关闭");
  return number_to_text(seconds_left) + suffix;
}

bool Countdown::tick() {
  if (left_ > 0) --left_;
  return left_ == 0;
}

}  // namespace trovix
