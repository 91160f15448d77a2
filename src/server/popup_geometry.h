// Where the announcement popup stands and how it fades in: pure arithmetic,
// so the window only applies the numbers.
#pragma once

namespace trovix {

struct PopupPlace {
  int left = 0;
  int top = 0;
};

// Lower right corner of the screen, just above the taskbar. A screen too small
// for the popup keeps its top-left corner on the screen (at 0), so the title
// bar and the close button stay within reach.
PopupPlace popup_place(int screen_width, int screen_height, int popup_width, int popup_height,
                       int taskbar_height);

// The fade level runs 0, 10, 20, … one step of 10 per tick of 100 ms; it is
// shared by every popup of a run and never reset.
inline constexpr int kFadeStep = 10;
inline constexpr int kFadeIntervalMs = 100;
// The opacity a level gives: levels outside 0 … 255 are opaque (255).
int opacity_of_level(int level);
// True once the level has reached 256: the fade timer stops.
bool fade_finished(int level);

}  // namespace trovix
