// What the six engines share: their column sets (also read by the result
// actions that copy or open the link column), the numbered row writing across
// pages, the page count rule and the log lines more than one engine writes.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "search/engine_table.h"
#include "search/results_list.h"
#include "search/search_context.h"

namespace trovix {

struct EngineColumn {
  std::string title;  // GBK
  int width = 0;      // pixels
};

struct EngineColumnSet {
  std::vector<EngineColumn> columns;  // column 0 is always "ID"
  int link_column = 0;                // the column the result actions copy or open
  int rows_per_page = 0;              // rows every result page adds
  std::string progress_label;  // GBK, e.g. "1号种子引" in "<<<1号种子引正在加载3页内容"
};

// The set of an engine of the engine table, in GBK; any other number gives an
// empty set (no columns, link column 0).
const EngineColumnSet& engine_column_set(int engine_number);

// Deletes all rows, then inserts the engine's columns at indexes 0, 1, … in
// order. Columns already present are left alone: the search command removes
// the previous engine's columns before the engine starts.
void insert_engine_columns(ResultsList& results, int engine_number);

// Page count from a count text as a result page writes it: to_int(count) /
// rows_per_page + extra, computed in double precision and cut toward zero.
int page_count_of(std::string_view count_text, double rows_per_page, double extra);

// The cells of a result page's rows (columns 1, 2, …), one entry per row in
// page order, as a fetching thread reads them out of the page.
using PageRows = std::vector<std::vector<std::string>>;

// Requests the search may have in flight at once: the services file's
// parallel_requests, held to 1 … kMaxParallelRequests.
int parallel_requests(const SearchContext& context);

// Writes numbered rows: column 0 holds a counter that starts at 1 for each
// search and goes up by one for every row, across pages.
class RowWriter {
 public:
  explicit RowWriter(ResultsList& results) : results_(results) {}

  // Adds a row at the end in one step: column 0 the counter, then `cells`
  // into columns 1, 2, … Returns the new row's index.
  int add_row(const std::vector<std::string>& cells);

  enum class EmptyTitle {
    keep_going,  // every row of the page is added whatever it holds
    stop,        // the first row whose title (cells[0]) is empty ends the page
  };

  // Adds a full page of `rows` rows; `cells_of_match(j)` gives the cells of
  // columns 1, 2, … for match j (1-based), empty texts past the last match.
  // With EmptyTitle::stop the row with the empty title is still added (with
  // all its cells) and the call returns false; true otherwise.
  bool add_page(int rows, const std::function<std::vector<std::string>(int match)>& cells_of_match,
                EmptyTitle empty_title = EmptyTitle::keep_going);

  // add_page over rows read ahead: row j's cells are rows[j - 1] (empty
  // texts past the end).
  bool add_page(const PageRows& rows, int count, EmptyTitle empty_title = EmptyTitle::keep_going);

  int next_number() const { return next_number_; }

  ResultsList& results() { return results_; }

 private:
  ResultsList& results_;
  int next_number_ = 1;
};

// The Pause test every engine makes once per page pass: when the search's
// stop token is raised, writes `stop_line`, gives the Search button back and
// returns true; the page being fetched was completed before.
bool ended_by_pause(SearchContext& context, std::string_view stop_line);

// The log lines several engines write, GBK, each ending with CR LF.
// "<<<本次搜索内容全部加载完毕，共加载" + pages + "页内容"
std::string all_pages_loaded_line(int pages);
// "<<<本次加载完毕，共加载" + pages + "页内容"
std::string pages_loaded_line(int pages);
// "<<<" + the engine's progress label + "正在加载" + pass + "页内容"
std::string page_progress_line(int engine_number, int pass);

}  // namespace trovix
