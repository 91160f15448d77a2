// Plugs the self-update into the update window: its "立即更新" handler runs a
// SelfUpdater on the window's progress bar and labels, with the page's update
// address and file name as they stand when the button is pressed.
#pragma once

#include <functional>
#include <string>

#include "app/self_updater.h"

namespace trovix {

class UpdateWindow;

// `program_path` is the running program's own file. `end_program` replaces the
// default ending (exit code 0 at once) for tests.
void attach_self_update(UpdateWindow& window, std::string program_path,
                        SelfUpdater::MessageSink message_sink,
                        std::function<void()> end_program = {});

// The running program's own file, as the file system spells it.
std::string own_program_path();

}  // namespace trovix
