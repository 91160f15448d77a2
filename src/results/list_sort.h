// The header-click sort: rows re-ordered by the trimmed bytes of one column,
// with the insertion rules that decide how ties come out, the selected row
// marked by its item value and found again afterwards.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "search/results_list.h"
#include "search/search_log.h"

namespace trovix {

// 1-based position at which `key` goes into `keys` (ascending): after the
// last when not smaller than it, first when not greater than the first,
// otherwise right after the element a binary search stops on.
int find_insert_position(const std::vector<std::string>& keys, std::string_view key,
                         bool case_sensitive);

// Re-orders every row by the trimmed text of `key_column` (descending output
// is the ascending placement read backwards), carrying cell texts, cell
// images, state images and item values; marks the selected row with item
// value 1 and selects the first marked row afterwards. Runs as one
// indivisible step of the list, so rows added meanwhile wait and land after.
void sort_list_rows(ResultsList& list, int key_column, bool ascending, bool case_sensitive);

// What a click on any column header does: the two log appends around the
// descending sort by column 1 (the title).
void header_click_sort(ResultsList& list, SearchLog& log);

}  // namespace trovix
