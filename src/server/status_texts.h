// The texts and geometry of the main window's two bottom strips: the run-time
// panel, the usage panel read from the visit counter, and the scrolling notice.
#pragma once

#include <string>
#include <string_view>

namespace trovix {

// Seconds, minutes and hours since start, advanced once a second.
class Uptime {
 public:
  void tick();
  // "系统已运行：" + hh:mm:ss, each part its last two digits (100 hours show 00).
  std::string text() const;
  int seconds() const { return seconds_; }
  int minutes() const { return minutes_; }
  int hours() const { return hours_; }

 private:
  int seconds_ = 0;
  int minutes_ = 0;
  int hours_ = 0;
};

// The counter page's address: the configured page plus "?id=…&sx=1&ys=43".
std::string counter_address(std::string_view counter_page, std::string_view counter_id);

// Panel 1's text from the counter page's text (empty when it could not be
// read): "今日使用：" + today + ten blanks + "累计使用：" + total.
std::string usage_line(std::string_view counter_page_text);

// The notice label is 9 pixels per GBK byte of the notice.
int notice_width(std::string_view scroll_notice);

// One notice tick: a label that has left the bar on the left enters again at
// its right edge, and every tick moves it one pixel to the left.
int next_notice_left(int left, int width, int bar_width);

}  // namespace trovix
