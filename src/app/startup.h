// What start-up needs besides the windows: the default folder, and the steps
// of the main window's creation sequence that other subsystems fill in.
#pragma once

#include <functional>
#include <string>

namespace trovix {

// Creates the folder (one level) when no directory of that name exists. A
// failure, or a file of that name standing there, is ignored: start-up goes on.
void ensure_default_folder(const std::string& path);

// The line to print instead of starting the window when there is no display
// to show it on (no DISPLAY, no WAYLAND_DISPLAY and no platform chosen with
// QT_QPA_PLATFORM); empty when the window can start. Qt would abort there.
std::string missing_display_message();

// The steps of the creation sequence that belong to the tray, the update
// check and the status bar. An empty step does nothing.
struct CreationSteps {
  std::function<void()> add_tray_icon;
  std::function<void()> hook_tray_events;
  std::function<void()> apply_skin;
  // Opens the update window modally; false ends the program there (an update
  // is available and the user closed the window).
  std::function<bool()> run_update_check;
  std::function<void()> setup_notice;
  std::function<void()> fill_usage_panel;
};

}  // namespace trovix
