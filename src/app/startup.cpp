#include "app/startup.h"

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

}  // namespace trovix
