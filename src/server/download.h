// The download facility: one download object fetches one file over HTTP or
// HTTPS on a thread of its own, reports the events 3 (started, with the total
// size), 4 (complete) and 9 (stopped) to the request's event routine, and
// answers "bytes done" and "current speed" from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace trovix {

enum class DownloadEvent : int { kStarted = 3, kComplete = 4, kStopped = 9 };

// Called on the facility's thread with five integer arguments: the event code
// first, the event's value (the total size for event 3) third; the others are 0.
using DownloadEventRoutine =
    std::function<void(int event, std::int64_t, std::int64_t value, std::int64_t, std::int64_t)>;

// A request, in the facility's order of fields, with its defaults. Settings
// that mean something for an HTTP download map onto libcurl; the rest are kept
// as given and have no effect here.
struct DownloadRequest {
  int flag_word = 1;  // no effect
  std::string address;
  std::string destination;
  // Sent only when the server asks for a log-on (HTTP authentication on demand).
  std::string user_name = "anonymous";
  std::string password = "guest@example.com";
  int connections = 1;  // no effect: one connection
  int setting7 = 0;     // no effect
  // CURLOPT_CONNECTTIMEOUT_MS.
  int connect_timeout_ms = 20000;
  // From the start until the final response's headers are in.
  int response_timeout_ms = 20000;
  // Longest time without a single byte of the body before the transfer stops.
  int stall_timeout_ms = 20000;
  // The window over which the current speed is measured.
  int speed_window_ms = 1000;
  int buffer_size = 20480;  // CURLOPT_BUFFERSIZE
  int small_buffer = 1024;  // no effect
  int setting14 = 0;        // no effect
  DownloadEventRoutine event_routine;
  std::string text16;                                            // no effect
  int setting17 = 1;                                             // no effect
  std::string file_types = ".exe|.rar|.zip|.gif|.jpg|.mp3|.rm";  // no effect
  std::string text19, text20;                                    // no effect
  // A file larger than this is refused (event 9) rather than filling the disk.
  std::int64_t max_bytes = std::int64_t{512} << 20;
  // An extra CA bundle trusted besides the system's (empty: the system's only).
  std::string ca_file;
};

// The update download's request: the settings the self-update sets, the rest default.
DownloadRequest update_download_request(std::string address, std::string destination,
                                        DownloadEventRoutine event_routine);

// True when `address` is an http or https URL with a host.
bool is_download_address(const std::string& address);

// One download at a time. Event 4 is sent only after a complete transfer:
// status 2xx, at least one byte, every announced byte, and the file closed
// without error. Every other ending sends event 9 and removes the destination.
class Download {
 public:
  Download() = default;
  // Abandons a running transfer (no event follows) and joins its thread.
  ~Download();
  Download(const Download&) = delete;
  Download& operator=(const Download&) = delete;

  // Starts the transfer and returns at once. False, with no thread started and
  // no event ever sent, when the address is unusable or a transfer is running.
  bool add_request(DownloadRequest request);
  // Abandons the running transfer at once; no event is sent after this returns.
  void stop();

  std::int64_t bytes_done() const { return state_->bytes_done.load(); }
  std::int64_t current_speed() const { return state_->speed.load(); }
  bool running() const { return state_->running.load(); }

  struct State {
    std::atomic<std::int64_t> bytes_done{0};
    std::atomic<std::int64_t> speed{0};
    std::atomic<bool> running{false};
  };

 private:
  std::shared_ptr<State> state_ = std::make_shared<State>();
  std::jthread thread_;
};

}  // namespace trovix
