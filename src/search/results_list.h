// The results list: the one store of search results. Every operation is one
// indivisible step whichever thread calls it; a missing row or column reads as
// empty text. Widgets show it; they never hold rows of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace trovix {

class ResultsList {
 public:
  virtual ~ResultsList() = default;

  virtual void insert_column(int index, std::string_view title, int width) = 0;
  virtual void delete_column(int index) = 0;
  virtual int column_count() const = 0;
  virtual std::string header_text(int column) const = 0;
  virtual int column_width(int column) const = 0;

  virtual int insert_row() = 0;
  virtual void delete_all_rows() = 0;
  virtual int row_count() const = 0;
  virtual std::string cell_text(int row, int column) const = 0;
  virtual void set_cell_text(int row, int column, std::string_view text) = 0;
  virtual int cell_image(int row, int column) const = 0;
  virtual void set_cell_image(int row, int column, int image) = 0;
  virtual int state_image(int row) const = 0;
  virtual void set_state_image(int row, int image) = 0;
  virtual std::int32_t item_value(int row) const = 0;
  virtual void set_item_value(int row, std::int32_t value) = 0;

  virtual int selected_row() const = 0;
  virtual void select_row(int row) = 0;
  virtual void ensure_visible(int row) = 0;

  // Inserts a row at the end and writes its cells in one step (cells past the
  // last column are ignored). Same outcome as insert_row + set_cell_text, with
  // one lock and one change notice instead of one per cell.
  virtual int append_row(const std::vector<std::string>& cells) = 0;

  // Runs `edit` as one indivisible step: it works on the list through the
  // reference it is given, and no operation from another thread runs between
  // its reads and writes (a sort never mixes two rows with a row added
  // meanwhile). `edit` must not block on other threads that use the list.
  // A list that is not shared between threads just runs it.
  virtual void run_atomically(const std::function<void(ResultsList& list)>& edit) { edit(*this); }
};

// What changed, for views that mirror the list.
enum class ListChange { columns, rows_reset, rows_appended, cells, selection, ensure_visible };

// The thread-safe in-memory list every view and engine uses.
class MemoryResultsList final : public ResultsList {
 public:
  // Called after each change, outside the lock, on the thread that made it.
  using Listener = std::function<void(ListChange change, int row)>;
  void set_listener(Listener listener);

  void insert_column(int index, std::string_view title, int width) override;
  void delete_column(int index) override;
  int column_count() const override;
  std::string header_text(int column) const override;
  int column_width(int column) const override;
  int insert_row() override;
  void delete_all_rows() override;
  int row_count() const override;
  std::string cell_text(int row, int column) const override;
  void set_cell_text(int row, int column, std::string_view text) override;
  int cell_image(int row, int column) const override;
  void set_cell_image(int row, int column, int image) override;
  int state_image(int row) const override;
  void set_state_image(int row, int image) override;
  std::int32_t item_value(int row) const override;
  void set_item_value(int row, std::int32_t value) override;
  int selected_row() const override;
  void select_row(int row) override;
  void ensure_visible(int row) override;
  int append_row(const std::vector<std::string>& cells) override;
  // Holds the lock throughout; the change notices of the step are gathered and
  // given once each after it, outside the lock.
  void run_atomically(const std::function<void(ResultsList& list)>& edit) override;

 private:
  struct Column {
    std::string title;
    int width = 0;
  };
  struct Cell {
    std::string text;
    int image = -1;
  };
  struct Row {
    std::vector<Cell> cells;  // one per column
    int state_image = -1;
    std::int32_t item_value = 0;
  };
  using SharedListener = std::shared_ptr<const Listener>;
  static void notify(const SharedListener& listener, ListChange change, int row);
  bool has_row(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
  bool has_column(int column) const {
    return column >= 0 && column < static_cast<int>(columns_.size());
  }

  // Recursive so that the operations an atomic step makes can take it again.
  mutable std::recursive_mutex mutex_;
  std::vector<Column> columns_;
  std::vector<Row> rows_;
  int selected_ = -1;
  SharedListener listener_;  // copied under the lock, called after it
};

}  // namespace trovix
