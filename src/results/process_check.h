// Whether a download tool runs: the names of the running processes' programs,
// read from /proc, compared with the looked-for name ignoring ASCII letter
// case, whole name against whole name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trovix {

// True when a running process's program is called `name`. A process answers
// to the file name of its executable, to the file name of its first argument
// (a program under Wine shows its Windows name there) and to its short
// command name when the kernel did not have to cut it. False when the process
// list cannot be read.
bool is_process_running(std::string_view name);
// The same for several names with one walk of the process list.
bool any_process_running(const std::vector<std::string>& names);

// "Thunder.exe" followed by the names of `[download_tools] names`, a list
// separated by commas (blanks around each name ignored, empty names dropped).
std::vector<std::string> download_tool_names(std::string_view configured);

}  // namespace trovix
