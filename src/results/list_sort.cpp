#include "results/list_sort.h"

#include <cstdint>

#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {

int find_insert_position(const std::vector<std::string>& keys, std::string_view key,
                         bool case_sensitive) {
  const int m = static_cast<int>(keys.size());
  if (m == 0) return 1;
  auto compare = [&](int position) {  // position is 1-based
    return compare_text(key, keys[static_cast<std::size_t>(position - 1)], case_sensitive);
  };
  if (compare(m) >= 0) return m + 1;
  if (compare(1) <= 0) return 1;
  int low = 1;
  int high = m;
  while (low < high - 1) {
    const int middle = (low + high) / 2;
    const int d = compare(middle);
    if (d == 0) {
      low = middle;
      break;
    }
    if (d < 0) {
      high = middle;
    } else {
      low = middle;
    }
  }
  return low + 1;
}

namespace {

void sort_rows_now(ResultsList& list, int key_column, bool ascending, bool case_sensitive) {
  std::int32_t mark = 0;
  if (const int selected = list.selected_row(); selected >= 0) {
    if (list.item_value(selected) == 0) list.set_item_value(selected, 1);
    mark = list.item_value(selected);
  }

  const int n = list.row_count();
  std::vector<std::string> keys;
  std::vector<int> row_numbers;
  std::vector<std::int32_t> item_values;
  std::vector<int> state_images;
  keys.reserve(static_cast<std::size_t>(n));
  row_numbers.reserve(static_cast<std::size_t>(n));
  item_values.reserve(static_cast<std::size_t>(n));
  state_images.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    std::string key = trim_text(list.cell_text(i, key_column));
    const auto at =
        static_cast<std::ptrdiff_t>(find_insert_position(keys, key, case_sensitive) - 1);
    keys.insert(keys.begin() + at, std::move(key));
    row_numbers.insert(row_numbers.begin() + at, i);
    item_values.insert(item_values.begin() + at, list.item_value(i));
    state_images.insert(state_images.begin() + at, list.state_image(i));
  }

  // Every cell is read before any is written.
  const int c = list.column_count();
  const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(c);
  std::vector<std::string> texts;
  std::vector<int> images;
  texts.reserve(cells);
  images.reserve(cells);
  auto source_of = [&](int r) { return static_cast<std::size_t>(ascending ? r : n - 1 - r); };
  for (int r = 0; r < n; ++r) {
    const int from = row_numbers[source_of(r)];
    for (int k = 0; k < c; ++k) {
      texts.push_back(list.cell_text(from, k));
      images.push_back(list.cell_image(from, k));
    }
  }
  std::size_t at = 0;
  for (int r = 0; r < n; ++r) {
    const std::size_t source = source_of(r);
    for (int k = 0; k < c; ++k, ++at) {
      list.set_cell_text(r, k, texts[at]);
      list.set_item_value(r, item_values[source]);
      if (images[at] != -1) list.set_cell_image(r, k, images[at]);
      if (state_images[source] != -1) list.set_state_image(r, state_images[source]);
    }
  }

  if (mark != 0) {
    for (int r = 0; r < n; ++r) {
      if (list.item_value(r) == mark) {
        list.select_row(r);
        list.ensure_visible(r);
        break;
      }
    }
  }
}

}  // namespace

void sort_list_rows(ResultsList& list, int key_column, bool ascending, bool case_sensitive) {
  list.run_atomically(
      [&](ResultsList& rows) { sort_rows_now(rows, key_column, ascending, case_sensitive); });
}

void header_click_sort(ResultsList& list, SearchLog& log) {
  static const std::string before = gbk("<<<正在进行时间排序，请稍后...\r\n");
  static const std::string after =
      gbk("<<<按时间排序成功！\r\n<<<温馨提示：点击发布时间表头即可快速排序\r\n");
  log.append(before);
  sort_list_rows(list, 1, false, true);
  log.append(after);
}

}  // namespace trovix
