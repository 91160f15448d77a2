#include "results/process_check.h"

#include <dirent.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <fstream>

namespace trovix {

namespace {

std::string lower_ascii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return out;
}

std::string_view file_name_of(std::string_view path) {
  // Windows programs under Wine carry backslashes in their first argument.
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string read_small_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::string text;
  std::array<char, 4096> buffer{};
  file.read(buffer.data(), buffer.size());
  text.assign(buffer.data(), static_cast<std::size_t>(file.gcount()));
  return text;
}

// The names one process answers to, lower-cased.
std::vector<std::string> names_of_process(const std::string& folder) {
  std::vector<std::string> names;
  std::array<char, 4096> target{};
  const ssize_t length = ::readlink((folder + "/exe").c_str(), target.data(), target.size() - 1);
  if (length > 0) {
    std::string_view path(target.data(), static_cast<std::size_t>(length));
    constexpr std::string_view deleted = " (deleted)";
    if (path.ends_with(deleted)) path.remove_suffix(deleted.size());
    names.push_back(lower_ascii(file_name_of(path)));
  }
  const std::string command_line = read_small_file(folder + "/cmdline");
  if (const std::string_view first(command_line.c_str()); !first.empty())
    names.push_back(lower_ascii(file_name_of(first)));
  std::string comm = read_small_file(folder + "/comm");
  if (!comm.empty() && comm.back() == '\n') comm.pop_back();
  // The kernel keeps at most 15 bytes: a name that long may be a cut one.
  if (!comm.empty() && comm.size() < 15) names.push_back(lower_ascii(comm));
  return names;
}

}  // namespace

bool any_process_running(const std::vector<std::string>& names) {
  std::vector<std::string> wanted;
  for (const std::string& name : names)
    if (!name.empty()) wanted.push_back(lower_ascii(name));
  if (wanted.empty()) return false;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return false;
  bool found = false;
  while (!found) {
    const dirent* entry = ::readdir(proc);
    if (entry == nullptr) break;
    const std::string_view id = entry->d_name;
    if (id.empty() || id.find_first_not_of("0123456789") != std::string_view::npos) continue;
    for (const std::string& name : names_of_process("/proc/" + std::string(id))) {
      for (const std::string& looked_for : wanted) {
        if (name == looked_for) found = true;
      }
    }
  }
  ::closedir(proc);
  return found;
}

bool is_process_running(std::string_view name) { return any_process_running({std::string(name)}); }

std::vector<std::string> download_tool_names(std::string_view configured) {
  std::vector<std::string> names{"Thunder.exe"};
  std::size_t begin = 0;
  while (begin <= configured.size()) {
    std::size_t end = configured.find(',', begin);
    if (end == std::string_view::npos) end = configured.size();
    std::string_view name = configured.substr(begin, end - begin);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
      name.remove_prefix(1);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
      name.remove_suffix(1);
    if (!name.empty()) names.emplace_back(name);
    begin = end + 1;
  }
  return names;
}

}  // namespace trovix
