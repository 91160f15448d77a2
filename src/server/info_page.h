// Reading the program server's information page: each value stands behind a
// bracketed marker and runs to the first following byte of its one-letter
// terminator. Pure functions over GBK bytes, safe on any input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "server/server_values.h"

namespace trovix {

// The body bytes taken as text: everything before the first zero byte.
std::string page_text(std::string_view bytes);

struct InfoPage {
  std::string newest_version;  // untrimmed, as it stands on the page
  ServerValues values;
  std::vector<std::string> history;  // the change-history items, in page order
};

// Cuts every value out of `page` (text as page_text gives it). Only the first
// occurrence of a marker counts; a missing marker or terminator gives "".
InfoPage read_info_page(std::string_view page);

// Every "</p>", then every "<p>", removed, letter case ignored.
std::string remove_paragraph_tags(std::string_view value);

// The items enclosed in full-width parentheses, trimmed; empty items skipped.
std::vector<std::string> cut_history_items(std::string_view value);

// The history box's text: every item followed by "\r\n".
std::string history_text(const std::vector<std::string>& items);

}  // namespace trovix
