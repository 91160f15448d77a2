#include "server/popup_geometry.h"

#include <algorithm>

namespace trovix {

PopupPlace popup_place(int screen_width, int screen_height, int popup_width, int popup_height,
                       int taskbar_height) {
  PopupPlace place;
  place.left = std::max(0, screen_width - popup_width);
  place.top = std::max(0, screen_height - popup_height - std::max(0, taskbar_height));
  return place;
}

int opacity_of_level(int level) { return level < 0 || level > 255 ? 255 : level; }

bool fade_finished(int level) { return level >= 256; }

}  // namespace trovix
