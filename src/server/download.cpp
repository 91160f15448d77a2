// The transfer runs on a curl multi handle of its own so that stop() wakes it
// at once (curl_multi_wakeup) and the loop can check the response and stall
// time-outs and sample the speed every 100 milliseconds.
#include "server/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <mutex>
#include <stop_token>
#include <utility>

namespace trovix {

namespace {

using Clock = std::chrono::steady_clock;

bool curl_ready() {
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

// Everything the curl callbacks and the loop share on the facility's thread.
struct Transfer {
  const DownloadRequest* request = nullptr;
  Download::State* state = nullptr;
  const std::stop_token* stop = nullptr;
  CURL* easy = nullptr;
  int fd = -1;
  bool headers_done = false;  // the final (2xx) response's headers are in
  bool refused = false;       // status, size or file made us stop
  std::int64_t announced = -1;
  std::int64_t written = 0;
  Clock::time_point last_byte;
};

long response_code(CURL* easy) {
  long code = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
  return code;
}

void send_event(const DownloadRequest& request, const std::stop_token& stop, DownloadEvent event,
                std::int64_t value) {
  if (request.event_routine && !stop.stop_requested())
    request.event_routine(static_cast<int>(event), 0, value, 0, 0);
}

size_t on_header(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t length = size * count;
  const bool blank = length <= 2 && (length == 0 || data[0] == '\r' || data[0] == '\n');
  if (!blank || t->headers_done) return length;
  const long code = response_code(t->easy);
  if (code < 200) return length;  // 1xx: the real answer follows
  if (code < 300) {
    curl_off_t size_announced = -1;
    curl_easy_getinfo(t->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size_announced);
    t->announced = size_announced;
    if (t->announced > t->request->max_bytes) {
      t->refused = true;
      return 0;
    }
    t->fd = ::open(t->request->destination.c_str(),
                   O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (t->fd < 0) {
      t->refused = true;
      return 0;
    }
    t->headers_done = true;
    t->last_byte = Clock::now();
    // An unannounced size is reported as 0.
    send_event(*t->request, *t->stop, DownloadEvent::kStarted,
               std::max<std::int64_t>(t->announced, 0));
    return length;
  }
  // A redirect is passed over (curl follows it, or the transfer ends without
  // a 2xx head and counts as failed); any other status stops here.
  if (code < 400) return length;
  t->refused = true;
  return 0;
}

size_t on_body(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t length = size * count;
  if (!t->headers_done) {
    // The body of a redirect is passed over; anything else without a 2xx head is refused.
    if (response_code(t->easy) / 100 == 3) return length;
    t->refused = true;
    return CURL_WRITEFUNC_ERROR;
  }
  if (t->written + static_cast<std::int64_t>(length) > t->request->max_bytes) {
    t->refused = true;
    return CURL_WRITEFUNC_ERROR;
  }
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::write(t->fd, data + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      t->refused = true;
      return CURL_WRITEFUNC_ERROR;
    }
    done += static_cast<size_t>(n);
  }
  t->written += static_cast<std::int64_t>(length);
  t->state->bytes_done.store(t->written);
  t->last_byte = Clock::now();
  return length;
}

// Speed over the request's window, from samples taken by the loop.
class SpeedMeter {
 public:
  explicit SpeedMeter(int window_ms)
      : window_(std::chrono::milliseconds(window_ms > 0 ? window_ms : 1000)) {}
  std::int64_t sample(Clock::time_point now, std::int64_t bytes) {
    samples_.emplace_back(now, bytes);
    while (samples_.size() > 2 && now - samples_[1].first >= window_) samples_.pop_front();
    const auto& [then, bytes_then] = samples_.front();
    const double seconds = std::chrono::duration<double>(now - then).count();
    if (seconds <= 0) return 0;
    return static_cast<std::int64_t>(static_cast<double>(bytes - bytes_then) / seconds);
  }

 private:
  Clock::duration window_;
  std::deque<std::pair<Clock::time_point, std::int64_t>> samples_;
};

struct EasyHandles {
  CURLM* multi = curl_multi_init();
  CURL* easy = curl_easy_init();
  ~EasyHandles() {
    if (multi != nullptr && easy != nullptr) curl_multi_remove_handle(multi, easy);
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
  }
};

// Runs the whole transfer; true when the file is complete at the destination.
bool transfer(const DownloadRequest& request, Download::State& state, const std::stop_token& stop) {
  EasyHandles handles;
  if (handles.multi == nullptr || handles.easy == nullptr) return false;
  Transfer t;
  t.request = &request;
  t.state = &state;
  t.stop = &stop;
  t.easy = handles.easy;
  CURL* easy = handles.easy;
  curl_easy_setopt(easy, CURLOPT_URL, request.address.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connect_timeout_ms));
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, static_cast<long>(request.buffer_size));
  curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
  curl_easy_setopt(easy, CURLOPT_USERNAME, request.user_name.c_str());
  curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.c_str());
  if (!request.ca_file.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, request.ca_file.c_str());
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
  if (curl_multi_add_handle(handles.multi, easy) != CURLM_OK) return false;

  std::atomic<bool> woken{false};
  std::stop_callback waker(stop, [&] {
    woken.store(true);
    curl_multi_wakeup(handles.multi);
  });
  const auto started = Clock::now();
  SpeedMeter meter(request.speed_window_ms);
  CURLcode result = CURLE_OK;
  bool finished = false;
  while (!finished) {
    if (woken.load()) break;
    int running = 0;
    if (curl_multi_perform(handles.multi, &running) != CURLM_OK) break;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(handles.multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        result = message->data.result;
        finished = true;
      }
    }
    if (finished) break;
    const auto now = Clock::now();
    if (!t.headers_done &&
        now - started > std::chrono::milliseconds(request.connect_timeout_ms) +
                            std::chrono::milliseconds(request.response_timeout_ms))
      break;
    if (t.headers_done && now - t.last_byte > std::chrono::milliseconds(request.stall_timeout_ms))
      break;
    if (t.headers_done) state.speed.store(meter.sample(now, t.written));
    curl_multi_poll(handles.multi, nullptr, 0, 100, nullptr);
  }

  bool complete = finished && result == CURLE_OK && !t.refused && t.headers_done && t.written > 0 &&
                  (t.announced < 0 || t.written == t.announced);
  if (t.fd >= 0) {
    if (::close(t.fd) != 0) complete = false;
  }
  // Whatever stands at the destination after a failed transfer is not the new program.
  if (!complete) ::unlink(request.destination.c_str());
  return complete && !stop.stop_requested();
}

}  // namespace

DownloadRequest update_download_request(std::string address, std::string destination,
                                        DownloadEventRoutine event_routine) {
  DownloadRequest request;
  request.flag_word = 4096;
  request.address = std::move(address);
  request.destination = std::move(destination);
  request.connections = 5;
  request.connect_timeout_ms = 5000;
  request.response_timeout_ms = 5000;
  request.stall_timeout_ms = 10000;
  request.speed_window_ms = 1000;
  request.buffer_size = 10240;
  request.small_buffer = 1024;
  request.event_routine = std::move(event_routine);
  return request;
}

bool is_download_address(const std::string& address) {
  if (address.empty() || !curl_ready()) return false;
  CURLU* url = curl_url();
  if (url == nullptr) return false;
  bool ok = curl_url_set(url, CURLUPART_URL, address.c_str(), 0) == CURLUE_OK;
  char* scheme = nullptr;
  char* host = nullptr;
  if (ok) ok = curl_url_get(url, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK;
  if (ok) ok = curl_url_get(url, CURLUPART_HOST, &host, 0) == CURLUE_OK && host[0] != '\0';
  if (ok) ok = std::string_view(scheme) == "http" || std::string_view(scheme) == "https";
  curl_free(scheme);
  curl_free(host);
  curl_url_cleanup(url);
  return ok;
}

Download::~Download() { stop(); }

bool Download::add_request(DownloadRequest request) {
  if (state_->running.load() || !is_download_address(request.address)) return false;
  if (thread_.joinable()) thread_.join();
  state_->bytes_done.store(0);
  state_->speed.store(0);
  state_->running.store(true);
  thread_ = std::jthread([request = std::move(request), state = state_](std::stop_token stop) {
    const bool complete = transfer(request, *state, stop);
    state->running.store(false);
    send_event(request, stop, complete ? DownloadEvent::kComplete : DownloadEvent::kStopped, 0);
  });
  return true;
}

void Download::stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  if (thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

}  // namespace trovix
