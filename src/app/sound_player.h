// The program's three sounds, played in the background from the WAV data it
// carries. Where no audio device exists nothing is heard and nothing fails.
#pragma once

#include <functional>

namespace trovix {

enum class Sound { up_to_date, update_available, popup_default };

// Starts playing and returns at once; a sound already playing goes on.
void play_sound(Sound sound);

// Tests: called with every sound that is started (on the user-interface thread).
void set_sound_observer(std::function<void(Sound)> observer);

}  // namespace trovix
