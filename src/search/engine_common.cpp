#include "search/engine_common.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {

namespace {

EngineColumnSet build_set(const EngineInfo& info) {
  EngineColumnSet set;
  for (int i = 0; i < info.column_count(); ++i) {
    const EngineColumnSpec& column = info.columns[static_cast<std::size_t>(i)];
    set.columns.push_back({gbk(column.title), column.width});
  }
  set.link_column = info.link_column;
  set.rows_per_page = info.rows_per_page;
  set.progress_label = gbk(info.progress_label);
  return set;
}

// Built once, on first use, from any thread (function-local statics are
// initialised thread-safely).
const std::array<EngineColumnSet, kEngineCount>& all_sets() {
  static const std::array<EngineColumnSet, kEngineCount> sets = [] {
    std::array<EngineColumnSet, kEngineCount> built;
    for (std::size_t i = 0; i < kEngineTable.size(); ++i) built[i] = build_set(kEngineTable[i]);
    return built;
  }();
  return sets;
}

}  // namespace

const EngineColumnSet& engine_column_set(int engine_number) {
  static const EngineColumnSet none;
  if (engine_number < 1 || engine_number > kEngineCount) return none;
  return all_sets()[engine_number - 1];
}

void insert_engine_columns(ResultsList& results, int engine_number) {
  results.delete_all_rows();
  const EngineColumnSet& set = engine_column_set(engine_number);
  for (std::size_t i = 0; i < set.columns.size(); ++i)
    results.insert_column(static_cast<int>(i), set.columns[i].title, set.columns[i].width);
}

int page_count_of(std::string_view count_text, double rows_per_page, double extra) {
  const double pages = std::trunc(static_cast<double>(to_int(count_text)) / rows_per_page + extra);
  return static_cast<int>(pages);
}

int RowWriter::add_row(const std::vector<std::string>& cells) {
  std::vector<std::string> row;
  row.reserve(cells.size() + 1);
  row.push_back(number_to_text(next_number_++));
  row.insert(row.end(), cells.begin(), cells.end());
  return results_.append_row(row);
}

bool RowWriter::add_page(int rows,
                         const std::function<std::vector<std::string>(int match)>& cells_of_match,
                         EmptyTitle empty_title) {
  for (int j = 1; j <= rows; ++j) {
    const std::vector<std::string> cells = cells_of_match(j);
    add_row(cells);
    if (empty_title == EmptyTitle::stop && (cells.empty() || cells.front().empty())) return false;
  }
  return true;
}

bool RowWriter::add_page(const PageRows& rows, int count, EmptyTitle empty_title) {
  return add_page(
      count,
      [&rows](int j) {
        const auto index = static_cast<std::size_t>(j - 1);
        return index < rows.size() ? rows[index] : std::vector<std::string>{};
      },
      empty_title);
}

int parallel_requests(const SearchContext& context) {
  return std::clamp(context.addresses.parallel_requests, 1, kMaxParallelRequests);
}

std::string all_pages_loaded_line(int pages) {
  static const std::string head = gbk("<<<本次搜索内容全部加载完毕，共加载");
  static const std::string tail = gbk("页内容\r\n");
  return head + number_to_text(pages) + tail;
}

std::string pages_loaded_line(int pages) {
  static const std::string head = gbk("<<<本次加载完毕，共加载");
  static const std::string tail = gbk("页内容\r\n");
  return head + number_to_text(pages) + tail;
}

std::string page_progress_line(int engine_number, int pass) {
  static const std::string loading = gbk("正在加载");
  static const std::string tail = gbk("页内容\r\n");
  return "<<<" + engine_column_set(engine_number).progress_label + loading + number_to_text(pass) +
         tail;
}

bool ended_by_pause(SearchContext& context, std::string_view stop_line) {
  if (!context.stop_requested()) return false;
  context.append_log(stop_line);
  context.enable_search_button();
  return true;
}

}  // namespace trovix
