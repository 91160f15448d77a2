// The two export formats: comma-terminated text lines, and the HTML table
// that spreadsheet programs open as a worksheet (".xls"). Both read the list
// in one indivisible step and write through a temporary file beside the
// target that is renamed into place, so a failure never leaves a half-written
// file where an older one stood.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/results_list.h"

namespace trovix {

// The list as it stood at one moment.
struct ListSnapshot {
  std::vector<std::string> headers;
  std::vector<std::vector<std::string>> rows;  // one text per column
};
ListSnapshot snapshot_list(ResultsList& list);

// One line per row: every cell followed by ",", then CR LF. Nothing escaped.
std::string text_file_bytes(const ListSnapshot& list);
// The table lines, each ending with CR LF; headers and cells cut to 259 bytes
// at a character boundary. Empty when the list has neither rows nor columns.
std::optional<std::string> html_table_bytes(const ListSnapshot& list, bool with_header);
// At most 259 bytes of `text`, never ending inside a two-byte character.
std::string_view cut_cell(std::string_view text);

// Writes `bytes` to a temporary file in the target's folder and renames it
// over `path`. False (and nothing changed at `path`) when any step fails.
bool write_file_atomically(const std::filesystem::path& path, std::string_view bytes);

// The text export; false when the file cannot be written.
bool export_text_file(ResultsList& list, const std::filesystem::path& path);
// The table export; false for a list without rows and columns or a file that
// cannot be written.
bool export_html_table(ResultsList& list, const std::filesystem::path& path, bool with_header);

// The chosen file name with the export's extension appended, always:
// "a.txt" becomes "a.txt.txt".
std::filesystem::path with_extension_appended(const std::filesystem::path& chosen,
                                              std::string_view extension);

}  // namespace trovix
