// The few threads a search fetches on when it may have several requests in
// flight: at most `size` jobs run at once, started in the order they were
// handed in. The engine keeps its own order (rows, log lines) by taking the
// results in the order its page loop needs them.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <vector>

#include "web/web_request.h"

namespace trovix {

class FetchPool {
 public:
  // Starts `size` threads (at least one). They make their requests under the
  // request scope of the thread that makes the pool: a search that is
  // superseded abandons their requests as it abandons its own.
  explicit FetchPool(int size);
  // Drops the jobs that have not started, abandons the requests in flight at
  // once and joins the threads: an engine that ends (Pause, its last page)
  // never waits for requests it no longer needs.
  ~FetchPool();
  FetchPool(const FetchPool&) = delete;
  FetchPool& operator=(const FetchPool&) = delete;

  // Queues `job` (callable from any thread, a running job included) and
  // returns its result to come. A job handed in after the pool began to end
  // is dropped; nobody is left to wait for it.
  template <typename Job>
  std::future<std::invoke_result_t<Job&>> submit(Job job) {
    using Result = std::invoke_result_t<Job&>;
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(job));
    std::future<Result> result = task->get_future();
    enqueue([task] { (*task)(); });
    return result;
  }

  int size() const { return static_cast<int>(threads_.size()); }

 private:
  void enqueue(std::function<void()> job);
  void work();

  const RequestScope scope_;
  std::stop_source abandon_;  // raised at the end, or when the search is superseded
  std::stop_callback<std::function<void()>> follow_cancel_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

// Keeps the pages of a page loop requested ahead of it: taking page p makes
// sure pages p … p + depth - 1 (none past `last`) are queued, then waits for
// p. `plan(page)` runs on the engine's thread (it may read the keyword box and
// build the address) and gives the job that fetches and reads the page.
template <typename Page>
class PagesAhead {
 public:
  using Plan = std::function<std::function<Page()>(int page)>;

  PagesAhead(FetchPool& pool, int depth, int last, Plan plan)
      : pool_(pool), depth_(depth < 1 ? 1 : depth), last_(last), plan_(std::move(plan)) {}

  Page take(int page) {
    for (int ahead = std::max(page, next_); ahead < page + depth_ && ahead <= last_; ++ahead) {
      pending_.emplace(ahead, pool_.submit(plan_(ahead)));
      next_ = ahead + 1;
    }
    // Pages are taken in order: whatever lies before `page` is no longer wanted.
    pending_.erase(pending_.begin(), pending_.lower_bound(page));
    const auto found = pending_.find(page);
    if (found == pending_.end()) return plan_(page)();  // past `last`: fetched here
    Page result = found->second.get();
    pending_.erase(found);
    return result;
  }

 private:
  FetchPool& pool_;
  const int depth_;
  const int last_;
  Plan plan_;
  std::map<int, std::future<Page>> pending_;
  int next_ = 1;  // the first page not yet queued
};

}  // namespace trovix
