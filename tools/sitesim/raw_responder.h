// A bare TCP listener for answers no HTTP library will send: a body without a
// status line, broken header lines, mixed-case duplicate headers. It also
// echoes a request with its header lines exactly as they arrived (/echo).
#pragma once

#include <list>
#include <mutex>
#include <thread>

namespace sitesim {

class RawResponder {
 public:
  RawResponder();  // binds 127.0.0.1 on a free port; throws std::runtime_error
  ~RawResponder();
  RawResponder(const RawResponder&) = delete;
  RawResponder& operator=(const RawResponder&) = delete;

  int port() const { return port_; }
  void start();
  void stop();  // idempotent; joins every connection

 private:
  void accept_loop();
  void serve(int fd);

  int listen_fd_ = -1;
  int wake_fds_[2] = {-1, -1};  // a write to [1] wakes the accept loop for stop()
  int port_ = 0;
  std::thread acceptor_;
  std::mutex mutex_;
  std::list<std::thread> connections_;
  bool stopped_ = false;
};

}  // namespace sitesim
