#include "search/results_list.h"

#include <algorithm>
#include <utility>

namespace trovix {

// Every operation takes the lock once, copies the listener pointer while it
// holds it, and calls the listener after letting go: a listener may read the
// list back (or post to another thread) without deadlocking writers.

void MemoryResultsList::set_listener(Listener listener) {
  SharedListener shared =
      listener ? std::make_shared<const Listener>(std::move(listener)) : nullptr;
  std::lock_guard lock(mutex_);
  listener_ = std::move(shared);
}

void MemoryResultsList::notify(const SharedListener& listener, ListChange change, int row) {
  if (listener) (*listener)(change, row);
}

void MemoryResultsList::insert_column(int index, std::string_view title, int width) {
  SharedListener listener;
  {
    std::lock_guard lock(mutex_);
    const auto count = static_cast<int>(columns_.size());
    const int at = (index < 0 || index >= count) ? count : index;
    columns_.insert(columns_.begin() + at, Column{std::string(title), width});
    for (Row& row : rows_) row.cells.insert(row.cells.begin() + at, Cell{});
    listener = listener_;
  }
  notify(listener, ListChange::columns, -1);
}

void MemoryResultsList::delete_column(int index) {
  SharedListener listener;
  {
    std::lock_guard lock(mutex_);
    if (!has_column(index)) return;
    columns_.erase(columns_.begin() + index);
    for (Row& row : rows_) row.cells.erase(row.cells.begin() + index);
    listener = listener_;
  }
  notify(listener, ListChange::columns, -1);
}

int MemoryResultsList::column_count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(columns_.size());
}

std::string MemoryResultsList::header_text(int column) const {
  std::lock_guard lock(mutex_);
  return has_column(column) ? columns_[column].title : std::string();
}

int MemoryResultsList::column_width(int column) const {
  std::lock_guard lock(mutex_);
  return has_column(column) ? columns_[column].width : 0;
}

int MemoryResultsList::insert_row() {
  SharedListener listener;
  int index = 0;
  {
    std::lock_guard lock(mutex_);
    index = static_cast<int>(rows_.size());
    rows_.push_back(Row{std::vector<Cell>(columns_.size()), -1, 0});
    listener = listener_;
  }
  notify(listener, ListChange::rows_appended, index);
  return index;
}

int MemoryResultsList::append_row(const std::vector<std::string>& cells) {
  SharedListener listener;
  int index = 0;
  {
    std::lock_guard lock(mutex_);
    index = static_cast<int>(rows_.size());
    Row row{std::vector<Cell>(columns_.size()), -1, 0};
    const std::size_t filled = std::min(cells.size(), row.cells.size());
    for (std::size_t i = 0; i < filled; ++i) row.cells[i].text = cells[i];
    rows_.push_back(std::move(row));
    listener = listener_;
  }
  notify(listener, ListChange::rows_appended, index);
  return index;
}

void MemoryResultsList::run_atomically(const std::function<void(ResultsList& list)>& edit) {
  // While the step runs, the listener slot holds a collector: every nested
  // operation copies it under the (recursive) lock as usual and calls it on
  // this thread, which still holds the lock, so the collector needs no lock.
  struct Gathered {
    bool cells = false;
    bool columns = false;
    bool rows = false;
    int selection = -2;  // -2: no selection notice
    int visible = -2;
  };
  auto gathered = std::make_shared<Gathered>();
  SharedListener listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
    listener_ = std::make_shared<const Listener>([gathered](ListChange change, int row) {
      switch (change) {
        case ListChange::columns:
          gathered->columns = true;
          break;
        case ListChange::rows_reset:
        case ListChange::rows_appended:
          gathered->rows = true;
          break;
        case ListChange::cells:
          gathered->cells = true;
          break;
        case ListChange::selection:
          gathered->selection = row;
          break;
        case ListChange::ensure_visible:
          gathered->visible = row;
          break;
      }
    });
    struct Restore {
      SharedListener& slot;
      SharedListener saved;
      ~Restore() { slot = std::move(saved); }
    } restore{listener_, listener};
    edit(*this);
  }
  if (gathered->columns) notify(listener, ListChange::columns, -1);
  if (gathered->rows) notify(listener, ListChange::rows_reset, -1);
  if (gathered->cells) notify(listener, ListChange::cells, -1);
  if (gathered->selection != -2) notify(listener, ListChange::selection, gathered->selection);
  if (gathered->visible != -2) notify(listener, ListChange::ensure_visible, gathered->visible);
}

void MemoryResultsList::delete_all_rows() {
  SharedListener listener;
  std::vector<Row> old;  // freed outside the lock
  {
    std::lock_guard lock(mutex_);
    old.swap(rows_);
    selected_ = -1;
    listener = listener_;
  }
  notify(listener, ListChange::rows_reset, -1);
}

int MemoryResultsList::row_count() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

std::string MemoryResultsList::cell_text(int row, int column) const {
  std::lock_guard lock(mutex_);
  return has_row(row) && has_column(column) ? rows_[row].cells[column].text : std::string();
}

void MemoryResultsList::set_cell_text(int row, int column, std::string_view text) {
  SharedListener listener;
  {
    std::lock_guard lock(mutex_);
    if (!has_row(row) || !has_column(column)) return;
    rows_[row].cells[column].text.assign(text);
    listener = listener_;
  }
  notify(listener, ListChange::cells, row);
}

int MemoryResultsList::cell_image(int row, int column) const {
  std::lock_guard lock(mutex_);
  return has_row(row) && has_column(column) ? rows_[row].cells[column].image : -1;
}

void MemoryResultsList::set_cell_image(int row, int column, int image) {
  SharedListener listener;
  {
    std::lock_guard lock(mutex_);
    if (!has_row(row) || !has_column(column)) return;
    rows_[row].cells[column].image = image;
    listener = listener_;
  }
  notify(listener, ListChange::cells, row);
}

int MemoryResultsList::state_image(int row) const {
  std::lock_guard lock(mutex_);
  return has_row(row) ? rows_[row].state_image : -1;
}

void MemoryResultsList::set_state_image(int row, int image) {
  SharedListener listener;
  {
    std::lock_guard lock(mutex_);
    if (!has_row(row)) return;
    rows_[row].state_image = image;
    listener = listener_;
  }
  notify(listener, ListChange::cells, row);
}

std::int32_t MemoryResultsList::item_value(int row) const {
  std::lock_guard lock(mutex_);
  return has_row(row) ? rows_[row].item_value : 0;
}

void MemoryResultsList::set_item_value(int row, std::int32_t value) {
  SharedListener listener;
  {
    std::lock_guard lock(mutex_);
    if (!has_row(row)) return;
    rows_[row].item_value = value;
    listener = listener_;
  }
  notify(listener, ListChange::cells, row);
}

int MemoryResultsList::selected_row() const {
  std::lock_guard lock(mutex_);
  return selected_;
}

void MemoryResultsList::select_row(int row) {
  SharedListener listener;
  int selected = -1;
  {
    std::lock_guard lock(mutex_);
    // A row that does not exist leaves nothing selected.
    selected_ = has_row(row) ? row : -1;
    selected = selected_;
    listener = listener_;
  }
  notify(listener, ListChange::selection, selected);
}

void MemoryResultsList::ensure_visible(int row) {
  SharedListener listener;
  {
    std::lock_guard lock(mutex_);
    if (!has_row(row)) return;
    listener = listener_;
  }
  notify(listener, ListChange::ensure_visible, row);
}

}  // namespace trovix
