#include "search/fetch_pool.h"

#include <utility>

namespace trovix {

FetchPool::FetchPool(int size)
    : scope_(current_request_scope()),
      follow_cancel_(scope_.cancel, std::function<void()>([this] { abandon_.request_stop(); })) {
  const int count = size < 1 ? 1 : size;
  threads_.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) threads_.emplace_back([this] { work(); });
}

FetchPool::~FetchPool() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    dropped.swap(queue_);
  }
  abandon_.request_stop();
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  // `dropped` goes here: its results are never delivered (broken promises
  // that no one waits for).
}

void FetchPool::enqueue(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    if (closing_) return;
    queue_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void FetchPool::work() {
  // The settings of the thread the pool works for, with a cancel token that
  // also fires when the pool ends.
  ScopedRequestScope inherited(scope_);
  ScopedRequestCancel abandon(abandon_.get_token());
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
      if (closing_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    job();  // a packaged task: what it throws goes to its result
  }
}

}  // namespace trovix
