#include "app/startup.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace trovix {

void ensure_default_folder(const std::string& path) {
  if (path.empty()) return;
  std::error_code error;
  const std::filesystem::path folder(path);
  if (std::filesystem::is_directory(folder, error)) return;
  // create_directory makes one level only and fails when a file of that name
  // exists; either way nothing is reported.
  std::filesystem::create_directory(folder, error);
}

std::string missing_display_message() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return {};
  }
  return "trovix: the window needs a display (DISPLAY or WAYLAND_DISPLAY is not set); "
         "\"trovix search\" works without one (see trovix --help)";
}

}  // namespace trovix
