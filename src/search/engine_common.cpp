#include "search/engine_common.h"

#include <array>
#include <cmath>
#include <string>

#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {

namespace {

struct ColumnSource {
  std::string_view title_utf8;
  int width;
};

struct SetSource {
  std::vector<ColumnSource> columns;
  int link_column;
  int rows_per_page;
  std::string_view progress_label_utf8;
};

EngineColumnSet build_set(const SetSource& source) {
  EngineColumnSet set;
  for (const ColumnSource& column : source.columns)
    set.columns.push_back({gbk(column.title_utf8), column.width});
  set.link_column = source.link_column;
  set.rows_per_page = source.rows_per_page;
  set.progress_label = gbk(source.progress_label_utf8);
  return set;
}

// Built once, on first use, from any thread (function-local statics are
// initialised thread-safely).
const std::array<EngineColumnSet, kEngineCount>& all_sets() {
  static const std::array<EngineColumnSet, kEngineCount> sets = {
      build_set({{{"ID", 30},
                  {"标题（右击下载）", 350},
                  {"收录时间", 90},
                  {"文件大小", 65},
                  {"人气值", 65},
                  {"磁力链接", 210}},
                 5,
                 20,
                 "1号种子引"}),
      build_set({{{"ID", 30},
                  {"标题（右击下载）", 400},
                  {"收录时间", 90},
                  {"文件大小", 70},
                  {"磁力链接", 220}},
                 4,
                 20,
                 "2号种子引"}),
      build_set({{{"ID", 50},
                  {"标题（右击下载）", 400},
                  {"收录时间", 90},
                  {"文件大小", 90},
                  {"下载热度", 90},
                  {"磁力链接", 210}},
                 5,
                 10,
                 "3号种子引"}),
      build_set({{{"ID", 50},
                  {"标题（右击下载）", 400},
                  {"收录时间", 75},
                  {"文件大小", 75},
                  {"下载热度", 90},
                  {"磁力链接", 210}},
                 5,
                 10,
                 "4号种子引"}),
      build_set({{{"ID", 30}, {"标题（右击下载）", 300}, {"访问链接", 430}, {"状态", 60}},
                 2,
                 10,
                 "1号网盘引"}),
      build_set({{{"ID", 35},
                  {"标题（右击下载）", 200},
                  {"收录时间", 90},
                  {"访问链接", 427},
                  {"状态", 60}},
                 3,
                 10,
                 "2号网盘引"}),
  };
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
