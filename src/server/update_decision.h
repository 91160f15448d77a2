// What the update window decides from the two version texts, and the texts of
// its eight-second countdown.
#pragma once

#include <string>
#include <string_view>

namespace trovix {

// The version this program is; the current-version box starts with it.
inline constexpr std::string_view kCurrentVersion = "1.1.5";

// True when the newest version names another version than the current one,
// both trimmed and compared byte for byte as text (so "1.1.4" offers an update
// too). An empty newest version means the page could not be read or named no
// version: nothing is offered and the program stays usable.
bool update_offered(std::string_view current_version, std::string_view newest_version);

// The update button's caption while the window counts down: "7秒后自动关闭".
std::string countdown_caption(int seconds_left);

// The countdown: eight seconds, one tick a second.
class Countdown {
 public:
  static constexpr int kSeconds = 8;
  // One tick. True when the countdown has reached zero (the main window is
  // shown then); otherwise caption() is the button's new caption.
  bool tick();
  int seconds_left() const { return left_; }
  std::string caption() const { return countdown_caption(left_); }

 private:
  int left_ = kSeconds;
};

}  // namespace trovix
