#include "server/status_texts.h"

#include <limits>

#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {

namespace {

std::string two_digits(int value) { return text_right("0" + number_to_text(value), 2); }

}  // namespace

void Uptime::tick() {
  if (++seconds_ == 60) {
    seconds_ = 0;
    ++minutes_;
  }
  if (minutes_ == 60) {
    minutes_ = 0;
    // Wrapping far past any real run time keeps the counter defined.
    hours_ = hours_ == std::numeric_limits<int>::max() ? 0 : hours_ + 1;
  }
}

std::string Uptime::text() const {
  static const std::string prefix = gbk("系统已运行：");
  return prefix + two_digits(hours_) + ":" + two_digits(minutes_) + ":" + two_digits(seconds_);
}

std::string counter_address(std::string_view counter_page, std::string_view counter_id) {
  return std::string(counter_page) + "?id=" + std::string(counter_id) + "&sx=1&ys=43";
}

std::string usage_line(std::string_view counter_page_text) {
  static const std::string today_marker = gbk("今天访问：");
  static const std::string total_marker = gbk("累计访问：");
  static const std::string today_caption = gbk("今日使用：");
  static const std::string total_caption = gbk("          累计使用：");
  // Percent escapes only: the markers may stand encoded on the page.
  const std::string page = url_decode(counter_page_text, false);
  const std::string today = text_between(page, today_marker, "&#10;");
  const std::string total = text_between(page, total_marker, "&#10;");
  return today_caption + today + total_caption + total;
}

int notice_width(std::string_view scroll_notice) {
  // A label wider than any screen is as good as a wider one; the cap keeps the
  // product inside int for a hostile notice line.
  constexpr std::size_t kMaxBytes = 1u << 24;
  return 9 * static_cast<int>(std::min(scroll_notice.size(), kMaxBytes));
}

int next_notice_left(int left, int width, int bar_width) {
  if (static_cast<long long>(left) + width <= 0) left = bar_width;
  return left - 1;
}

}  // namespace trovix
