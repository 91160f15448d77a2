// Replacing the running program with the downloaded one: the script texts (pure
// functions), the checks made before anything is downloaded, and writing and
// starting the script so that it outlives the program.
#pragma once

#include <string>
#include <string_view>

namespace trovix {

// The downloaded file's name in the program's folder, as the script renames it.
inline constexpr std::string_view kTemporaryFileName = "KORVEN7.exe.tmp";
// A leftover of older versions, deleted before every download.
inline constexpr std::string_view kLeftoverFileName = "temp.temp";
inline constexpr std::string_view kWindowsScriptName = "5update.bat";
inline constexpr std::string_view kLinuxScriptName = "5update.sh";

// The batch script of Windows builds, GBK, twelve steps joined by CR LF with no
// line break after the last. It changes into the program's folder first and
// quotes every name, so blanks in a name or a different current directory
// cannot make it delete or start the wrong file.
std::string windows_update_script(std::string_view run_directory,
                                  std::string_view program_file_name,
                                  std::string_view new_program_file);

// The POSIX shell script of Linux builds (names as the file system spells them,
// UTF-8), LF line ends. Same steps in the same order: change into the folder
// (and stop unless the downloaded file is there), end every process running
// the program's file, pause a second, delete the old file, rename the download
// to `new_program_file`, make it executable, start it detached, delete itself.
// Every name is single-quoted.
std::string linux_update_script(std::string_view run_directory, std::string_view program_file_name,
                                std::string_view new_program_file);

// True when `name` (GBK, as the server sent it) can only mean a plain file in
// the program's folder: not empty, valid GBK, no folder separator, no "..", no
// quotes, wildcards or control characters, and none of the update's own files.
bool is_plain_program_name(std::string_view name);

// True when a file can be created (and removed again) in `folder`.
bool folder_is_writable(const std::string& folder);

// Writes `text` to `path`, replacing an older file; false on any failure (a
// half-written file is removed).
bool write_script_file(const std::string& path, std::string_view text);

// Starts "sh <script_path>" in `run_directory`, in a session of its own with
// no terminal and without waiting for it, so it survives the program's end.
// False when the shell could not be started.
bool start_update_script(const std::string& script_path, const std::string& run_directory);

}  // namespace trovix
