#include "support/sitesim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace trovix::testing {

namespace {

// Sanitizer builds start slowly on a busy machine; a healthy start takes a few
// milliseconds, so this only bounds a broken one.
constexpr auto kStartDeadline = std::chrono::seconds(15);
constexpr auto kStopDeadline = std::chrono::seconds(5);

int port_value(const std::string& text, const std::string& output) {
  char* end = nullptr;
  long port = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || port <= 0 || port > 65535)
    throw std::runtime_error("site simulator printed a bad port: " + output);
  return static_cast<int>(port);
}

// Ends the child, first politely; true when it was reaped.
bool stop_child(pid_t pid) {
  if (pid <= 0) return true;
  ::kill(pid, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + kStopDeadline;
  int status = 0;
  for (;;) {
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) return true;
    if (std::chrono::steady_clock::now() > deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(pid, SIGKILL);
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return false;
}

}  // namespace

SiteSimulator::SiteSimulator(int latency_ms) {
  std::string dir = (std::filesystem::temp_directory_path() / "trovix-sitesim-XXXXXX").string();
  if (::mkdtemp(dir.data()) == nullptr)
    throw std::runtime_error("cannot create a state directory for the site simulator");
  state_dir_ = dir;

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  std::string binary = TROVIX_SITESIM_BIN;
  std::string args[] = {binary,
                        "--port",
                        "0",
                        "--https-port",
                        "0",
                        "--state-dir",
                        state_dir_,
                        "--latency-ms",
                        std::to_string(latency_ms < 0 ? 0 : latency_ms)};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(),
                  args[5].data(), args[6].data(), args[7].data(), args[8].data(), nullptr};
  int rc = ::posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    pid_ = -1;
    throw std::runtime_error("cannot start the site simulator " + binary);
  }

  std::string output;
  std::size_t parsed = 0;  // output before this offset has been read line by line
  bool ready = false;
  auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
  while (!ready) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{out[0], POLLIN, 0};
    int n = ::poll(&p, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    char buffer[512];
    ssize_t got = ::read(out[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the simulator ended
    output.append(buffer, static_cast<std::size_t>(got));
    for (std::size_t end; (end = output.find('\n', parsed)) != std::string::npos;
         parsed = end + 1) {
      const std::size_t start = parsed;
      std::string line = output.substr(start, end - start);
      std::size_t eq = line.find('=');
      std::string key = line.substr(0, eq);
      std::string value = eq == std::string::npos ? "" : line.substr(eq + 1);
      if (line == "ready")
        ready = true;
      else if (key == "http_port")
        http_port_ = port_value(value, output);
      else if (key == "https_port")
        https_port_ = port_value(value, output);
      else if (key == "raw_port")
        raw_port_ = port_value(value, output);
      else if (key == "ca_file")
        ca_file_ = value;
      else if (key == "services_file")
        services_file_ = value;
    }
  }
  ::close(out[0]);

  if (!ready || http_port_ == 0 || https_port_ == 0 || raw_port_ == 0 || ca_file_.empty() ||
      services_file_.empty()) {
    stop_child(pid_);
    pid_ = -1;
    std::error_code ignored;
    std::filesystem::remove_all(state_dir_, ignored);
    throw std::runtime_error("site simulator did not report ready; it printed: [" + output + "]");
  }
}

SiteSimulator::~SiteSimulator() {
  stop_child(pid_);
  std::error_code ignored;
  std::filesystem::remove_all(state_dir_, ignored);
}

std::string SiteSimulator::http_base() const {
  return "http://127.0.0.1:" + std::to_string(http_port_);
}
std::string SiteSimulator::https_base() const {
  return "https://127.0.0.1:" + std::to_string(https_port_);
}
std::string SiteSimulator::ca_file() const { return ca_file_; }
std::string SiteSimulator::services_file() const { return services_file_; }
int SiteSimulator::raw_port() const { return raw_port_; }

}  // namespace trovix::testing
