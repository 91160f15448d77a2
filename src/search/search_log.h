// The work log: text is only ever appended; only the search command empties
// it. Thread-safe; views are told of every change and read the text back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace trovix {

class SearchLog {
 public:
  // Called after each change, outside the lock. `cleared` is true for clear().
  using Listener = std::function<void(bool cleared)>;
  void set_listener(Listener listener);

  void append(std::string_view gbk_text);
  void clear();
  std::string text() const;
  // The text appended since `offset` bytes; with the generation a view can
  // tell whether a clear happened in between.
  std::string text_from(std::size_t offset) const;
  std::size_t size() const;
  std::uint64_t generation() const;  // counts clear() calls

 private:
  mutable std::mutex mutex_;
  std::string text_;
  std::uint64_t generation_ = 0;
  Listener listener_;
};

}  // namespace trovix
