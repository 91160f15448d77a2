#include "app/background_job.h"

#include <atomic>

#include "web/web_request.h"

namespace trovix {

// One start() of a job. `stop` is raised by stop(), restart or destruction;
// `delivered` is set on the owner's thread when the final result arrived;
// `finished` when the thread is past its last statement.
struct BackgroundJob::Context::Run {
  std::stop_source stop;
  bool delivered = false;  // owner's thread only
  std::atomic<bool> finished{false};
};

void BackgroundJob::Context::post(std::function<void()> step) const {
  // The check runs on the owner's thread, where stop() is called too, so a
  // step is either delivered before a stop or never.
  QMetaObject::invokeMethod(
      owner_,
      [run = run_, step = std::move(step)] {
        if (!run->stop.stop_requested()) step();
      },
      Qt::QueuedConnection);
}

BackgroundJob::~BackgroundJob() {
  stop();
  for (Thread& thread : threads_) thread.thread.join();
}

void BackgroundJob::stop() {
  if (current_) current_->stop.request_stop();
  current_.reset();
}

bool BackgroundJob::running() const { return current_ && !current_->delivered; }

void BackgroundJob::start_run(RunBody body) {
  stop();
  reap_finished();
  auto run = std::make_shared<Context::Run>();
  current_ = run;
  Context context(owner_, run, run->stop.get_token());
  std::thread thread([context, body = std::move(body)]() mutable {
    std::function<void()> deliver;
    {
      ScopedRequestCancel abandon_on_stop(context.stop_token());
      deliver = body(context);
    }
    const std::shared_ptr<Context::Run> run = context.run_;
    QMetaObject::invokeMethod(
        context.owner_,
        [run, deliver = std::move(deliver)]() mutable {
          if (run->stop.stop_requested()) return;
          run->delivered = true;
          deliver();
        },
        Qt::QueuedConnection);
    run->finished = true;
  });
  threads_.push_back({run, std::move(thread)});
}

void BackgroundJob::reap_finished() {
  // Only threads past their last statement are joined, so this never waits.
  for (auto it = threads_.begin(); it != threads_.end();) {
    if (it->run->finished) {
      it->thread.join();
      it = threads_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace trovix
