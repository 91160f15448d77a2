// The texts the information page hands to the rest of the program, filled by
// the update window and read by the main window (notice, exit link) and the
// self-update (address and file name). GBK, empty until the page was read.
#pragma once

#include <string>

namespace trovix {

struct ServerValues {
  std::string update_address;    // where the new program file lies
  std::string new_program_file;  // its file name, ".exe" included
  std::string exit_link;         // opened when the main window is destroyed
  std::string popup_content;     // the announcement popup's text
  std::string scroll_notice;     // the notice bar's line
  std::string notice_link;       // opened when the notice is clicked
};

}  // namespace trovix
