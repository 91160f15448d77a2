// Which column of the results list holds a row's link, and which context menu
// the list offers, for the engine whose radio button is checked at the moment
// of an action (not the engine that filled the list).
#pragma once

#include <string>

#include "search/results_list.h"

namespace trovix {

// The link column of engine 1 … 6 (counted from 0), or -1 for no engine.
int link_column(int engine);

// Engines 1 to 4: opening their link is followed by the download-tool check.
bool is_torrent_engine(int engine);

enum class ContextMenu { none, normal, torrent };  // "普通右击", "torrent右击"
ContextMenu context_menu_for(int engine);

// The text of the selected row's link column; empty with no selected row, no
// engine, or a column set without that column.
std::string selected_link(const ResultsList& list, int engine);

}  // namespace trovix
