// The page shapes the six engines and the magnet-link window cut records out
// of: GBK pattern and marker texts, built once on first use.
#pragma once

#include <string>

namespace trovix {

// Engine 1: one hit per match; groups title, collected, size, files, speed,
// popularity, magnet link.
const std::string& engine1_result_pattern();

// Engine 2: one hit per match (ends with a line feed); groups title,
// collected, size, files, magnet link.
const std::string& engine2_result_pattern();

// Engine 3: detail path and title script (starts with a line feed) ...
const std::string& engine3_link_pattern();
// ... and the facts: time tag, time, size, popularity (starts with a line feed).
const std::string& engine3_facts_pattern();

// Engine 4: date, size, popularity, download address ...
const std::string& engine4_facts_pattern();
// ... and the highlighted title (ends with a line feed).
const std::string& engine4_title_pattern();

// Engine 5: detail path, anchor id, title.
const std::string& engine5_result_pattern();

// Engine 6: file id and title ...
const std::string& engine6_file_pattern();
// ... and the time.
const std::string& engine6_time_pattern();

// The markers around the magnet link in engine 3's detail page "Magnet Link"
// panel (the left one starts with a line feed).
const std::string& magnet_left_marker();
const std::string& magnet_right_marker();

}  // namespace trovix
