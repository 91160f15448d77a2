#include "raw_responder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "fault_sites.h"
#include "sim.h"

namespace sitesim {

namespace {

constexpr int kReadTimeoutMs = 5000;
constexpr std::size_t kMaxHead = 64 * 1024;

void write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Reads until the header block is complete (and the announced body for /echo);
// false on timeout, close or an oversized head.
bool read_request(int fd, int wake_fd, std::string& head, std::string& body) {
  std::string data;
  char buffer[4096];
  std::size_t head_end = std::string::npos;
  std::size_t body_size = 0;
  for (;;) {
    if (head_end == std::string::npos) {
      head_end = data.find("\r\n\r\n");
      if (head_end != std::string::npos) {
        head = data.substr(0, head_end + 2);
        std::string lower = head;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::size_t at = lower.find("\r\ncontent-length:");
        if (at != std::string::npos) body_size = std::strtoull(head.c_str() + at + 17, nullptr, 10);
        body_size = std::min<std::size_t>(body_size, 16 * 1024 * 1024);
      } else if (data.size() > kMaxHead) {
        return false;
      }
    }
    if (head_end != std::string::npos && data.size() >= head_end + 4 + body_size) {
      body = data.substr(head_end + 4, body_size);
      return true;
    }
    pollfd p[2] = {{fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    if (::poll(p, 2, kReadTimeoutMs) <= 0 || p[1].revents != 0) return false;
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string echo_answer(const std::string& head, const std::string& body) {
  std::size_t line_end = head.find("\r\n");
  std::string request_line = head.substr(0, line_end);
  std::size_t sp1 = request_line.find(' ');
  std::size_t sp2 = request_line.rfind(' ');
  std::string text = "METHOD " + request_line.substr(0, sp1) + "\n";
  text += "TARGET " + request_line.substr(sp1 + 1, sp2 - sp1 - 1) + "\n";
  for (std::size_t at = line_end + 2; at < head.size();) {
    std::size_t end = head.find("\r\n", at);
    std::string line = head.substr(at, end - at);
    std::size_t colon = line.find(':');
    std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    text += "HEADER " + line.substr(0, colon) + ": " + value + "\n";
    at = end + 2;
  }
  text += "BODY " + std::to_string(body.size()) + "\n" + body;
  return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
         std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text;
}

std::string answer_for(const std::string& head, const std::string& body) {
  std::size_t sp1 = head.find(' ');
  std::size_t sp2 = head.find(' ', sp1 + 1);
  std::string target = sp1 == std::string::npos ? "" : head.substr(sp1 + 1, sp2 - sp1 - 1);
  std::string path = target.substr(0, target.find('?'));
  if (path == "/raw/no-headers") return "just a body\n";
  if (path == "/raw/garbage")
    return std::string("HTTP/1.1 200 OK\r\n\x01\x02garbage: \xff\r\nbroken\r\n\r\nbody");
  if (path == "/raw/cookies")
    return "HTTP/1.1 200 OK\r\nset-cookie: A=1\r\nSET-COOKIE: b=2; path=/\r\n"
           "Content-Length: 2\r\n\r\nok";
  if (path == "/echo" || path.rfind("/echo/", 0) == 0) return echo_answer(head, body);
  if (std::string fault = raw_fault_site_answer(path); !fault.empty()) return fault;
  return "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 12\r\n"
         "Connection: close\r\n\r\n<h1>404</h1>";
}

}  // namespace

RawResponder::RawResponder() {
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) throw std::runtime_error("raw responder: socket");
  int one = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  // Linux hands the listener's TCP_NODELAY on to every accepted socket.
  ::setsockopt(listen_fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listen_fd_, 64) != 0 ||
      ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("raw responder: bind");
  port_ = ntohs(address.sin_port);
  if (::pipe2(wake_fds_, O_CLOEXEC) != 0) throw std::runtime_error("raw responder: pipe");
}

RawResponder::~RawResponder() {
  stop();
  for (int fd : {listen_fd_, wake_fds_[0], wake_fds_[1]})
    if (fd >= 0) ::close(fd);
}

void RawResponder::start() {
  acceptor_ = std::thread([this] { accept_loop(); });
}

void RawResponder::stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopped_) return;
    stopped_ = true;
  }
  char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(wake_fds_[1], &byte, 1);
  if (acceptor_.joinable()) acceptor_.join();
  std::list<std::thread> connections;
  {
    std::lock_guard lock(mutex_);
    connections.swap(connections_);
  }
  for (std::thread& t : connections) t.join();
}

void RawResponder::accept_loop() {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_fds_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(mutex_);
    if (stopped_) {
      ::close(fd);
      return;
    }
    connections_.emplace_back([this, fd] { serve(fd); });
  }
}

void RawResponder::serve(int fd) {
  std::string head;
  std::string body;
  if (read_request(fd, wake_fds_[0], head, body)) write_all(fd, answer_for(head, body));
  ::shutdown(fd, SHUT_WR);
  ::close(fd);
}

}  // namespace sitesim
