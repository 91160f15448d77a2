#include "search/search_log.h"

#include <utility>

namespace trovix {

// The listener is copied under the lock and called after it, so a view may
// read the text back from inside the call.

void SearchLog::set_listener(Listener listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void SearchLog::append(std::string_view gbk_text) {
  Listener listener;
  {
    std::lock_guard lock(mutex_);
    if (gbk_text.empty()) return;
    text_.append(gbk_text);
    listener = listener_;
  }
  if (listener) listener(false);
}

void SearchLog::clear() {
  Listener listener;
  {
    std::lock_guard lock(mutex_);
    text_.clear();
    ++generation_;
    listener = listener_;
  }
  if (listener) listener(true);
}

std::string SearchLog::text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

std::string SearchLog::text_from(std::size_t offset) const {
  std::lock_guard lock(mutex_);
  return offset < text_.size() ? text_.substr(offset) : std::string();
}

std::size_t SearchLog::size() const {
  std::lock_guard lock(mutex_);
  return text_.size();
}

std::uint64_t SearchLog::generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

}  // namespace trovix
