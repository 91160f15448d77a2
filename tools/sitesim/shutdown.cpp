#include <condition_variable>
#include <mutex>

#include "sim.h"

namespace sitesim {

namespace {
std::mutex shutdown_mutex;
std::condition_variable shutdown_signal;
bool shutting_down = false;
}  // namespace

bool sleep_unless_stopping(std::chrono::milliseconds duration) {
  std::unique_lock lock(shutdown_mutex);
  return !shutdown_signal.wait_for(lock, duration, [] { return shutting_down; });
}

void begin_shutdown() {
  {
    std::lock_guard lock(shutdown_mutex);
    shutting_down = true;
  }
  shutdown_signal.notify_all();
}

}  // namespace sitesim
