// The one shape of background work for a window that must not wait on the
// network or the disk: the work runs on a thread of its own with its own stop
// token; every WebRequest it makes is abandoned as soon as the job is stopped;
// what it hands back reaches the owner on the owner's (user-interface) thread
// by a queued call, and nothing is delivered once the job was stopped,
// restarted or destroyed with its owner.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>
#include <utility>
#include <vector>

namespace trovix {

class BackgroundJob {
 public:
  // What the work sees: its stop token, and a way to hand intermediate results
  // (progress) to the owner's thread under the same rule as the final one.
  class Context {
   public:
    std::stop_token stop_token() const { return stop_; }
    bool stop_requested() const { return stop_.stop_requested(); }
    // Runs `step` on the owner's thread later, unless the job is stopped by then.
    void post(std::function<void()> step) const;

   private:
    friend class BackgroundJob;
    struct Run;
    Context(QObject* owner, std::shared_ptr<Run> run, std::stop_token stop)
        : owner_(owner), run_(std::move(run)), stop_(std::move(stop)) {}
    QObject* owner_;
    std::shared_ptr<Run> run_;
    std::stop_token stop_;
  };

  // `owner` lives on the user-interface thread and outlives the job (make the
  // job a member of the owner).
  explicit BackgroundJob(QObject* owner) : owner_(owner) {}
  // Stops the job and joins every thread it started; each has had its pending
  // request abandoned, so this waits at most for the work's next check.
  ~BackgroundJob();
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Starts `work(context)` on a new thread; its result goes to `deliver` on
  // the owner's thread. A job still running is stopped first and its result
  // dropped. Call from the owner's thread.
  template <class Work, class Deliver>
  void start(Work work, Deliver deliver) {
    start_run([work = std::move(work), deliver = std::move(deliver)](
                  const Context& context) mutable -> std::function<void()> {
      if constexpr (std::is_void_v<decltype(work(context))>) {
        work(context);
        return [deliver = std::move(deliver)]() mutable { deliver(); };
      } else {
        auto result = work(context);
        return [deliver = std::move(deliver), result = std::move(result)]() mutable {
          deliver(std::move(result));
        };
      }
    });
  }

  // Raises the stop token: a pending request is abandoned at once and nothing
  // more is delivered. Never waits. Harmless when nothing runs.
  void stop();

  // True from start() until the result was delivered or the job was stopped.
  bool running() const;

 private:
  using RunBody = std::function<std::function<void()>(const Context&)>;
  struct Thread {
    std::shared_ptr<Context::Run> run;
    std::thread thread;
  };
  void start_run(RunBody body);
  void reap_finished();

  QObject* owner_;
  std::shared_ptr<Context::Run> current_;
  std::vector<Thread> threads_;
};

}  // namespace trovix
