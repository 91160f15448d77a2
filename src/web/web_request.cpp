// WebRequest on libcurl: one HTTP/1.1 exchange per call. Nothing a caller can
// see survives from one call to the next (no cookie store, no session).
//
// Error texts, mapped from what libcurl reports:
//   700  curl_global_init failed, or an https URL while libcurl has no TLS
//   701  the URL cannot be parsed (curl_url), its scheme is not http/https or
//        it has no host
//   702  curl_easy_init failed, or the proxy is refused (the "session" holds it)
//   703  the parsed URL (host and port) is refused by the handle
//   704  the method or the body is refused
//   705  a timeout option is refused
//   707  server or proxy credentials are refused (one text for both)
//   709  the redirect options are refused
//   710  the header block is refused, or one of its lines is not "name: value"
//   711  nothing came back because resolving, connecting, TLS, the proxy or
//        sending failed, or the request was cancelled before its headers came
//   712  the connection stood but no complete response arrived: timeout,
//        empty reply, a reply that is not HTTP, or the redirect cap was hit
//   713  the final response's headers arrived and then the body failed (cut,
//        stalled, or over the body cap): the bytes so far are still returned
// libcurl's cookie engine is never switched on, so 708 cannot happen here.
#include "web/web_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <utility>
#include <vector>

#include "web/codec.h"
#include "web/http_headers.h"
#include "web/regex_matcher.h"
#include "web/request_settings.h"
#include "web/text_ops.h"
#include "web/web_request_wire.h"

namespace trovix {

namespace {

// A page is HTML; nothing a search reads comes near this. A hostile or broken
// server cannot make a call hold more than this much memory for the body: the
// first 32 MiB are kept and reading stops there, as if the read had failed part
// way (713), so the later steps still run with the bytes kept.
constexpr std::size_t kBodyCap = 32u * 1024 * 1024;
// The raw header block of one response is kept up to this size.
constexpr std::size_t kHeaderCap = 1024 * 1024;
// Redirect loops end after this many hops (712).
constexpr long kMaxRedirects = 20;
constexpr int kDefaultTimeoutSeconds = 30;

enum class Failure {
  kNoClient = 700,
  kBadUrl = 701,
  kSession = 702,
  kConnection = 703,
  kRequest = 704,
  kTimeouts = 705,
  kCredentials = 707,
  kRedirects = 709,
  kHeaders = 710,
  kSend = 711,
  kNoResponse = 712,
  kRead = 713,
};

const std::string& failure_text(Failure failure) {
  static const std::vector<std::pair<Failure, std::string>> texts = {
      {Failure::kNoClient, gbk("700 当前系统不支持WinHttp服务!")},
      {Failure::kBadUrl, gbk("701 解析URL地址失败!")},
      {Failure::kSession, gbk("702 创建WinHttp会话失败!")},
      {Failure::kConnection, gbk("703 创建WinHttp连接失败!")},
      {Failure::kRequest, gbk("704 创建WinHttp请求失败!")},
      {Failure::kTimeouts, gbk("705 设置超时时间失败!")},
      {Failure::kCredentials, gbk("707 设置代理凭证失败!")},
      {Failure::kRedirects, gbk("709 重定向设置失败!")},
      {Failure::kHeaders, gbk("710 设置协议头失败!")},
      {Failure::kSend, gbk("711 发送请求失败!")},
      {Failure::kNoResponse, gbk("712 服务器未响应!")},
      {Failure::kRead, gbk("713 读取数据失败!")},
  };
  for (const auto& [number, text] : texts) {
    if (number == failure) return text;
  }
  return texts.front().second;
}

bool global_init_ok() {
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

bool curl_has_tls() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  return info != nullptr && (info->features & CURL_VERSION_SSL) != 0;
}

std::mutex& ca_mutex() {
  static std::mutex mutex;
  return mutex;
}
std::string& ca_file_setting() {
  static std::string path;
  return path;
}

std::string current_ca_file() {
  std::lock_guard lock(ca_mutex());
  return ca_file_setting();
}

thread_local std::stop_token tls_cancel_token;

// One multi handle per thread drives the transfers of that thread. It lets a
// stop request wake a blocked call at once (curl_multi_wakeup) and keeps the
// parsed CA store and the thread's idle connections between calls (see the
// reuse rule in WebRequest); all of it goes when the thread ends.
struct ThreadMulti {
  CURLM* handle = nullptr;
  ThreadMulti() : handle(curl_multi_init()) {}
  ~ThreadMulti() {
    if (handle != nullptr) curl_multi_cleanup(handle);
  }
  ThreadMulti(const ThreadMulti&) = delete;
  ThreadMulti& operator=(const ThreadMulti&) = delete;
};

CURLM* thread_multi() {
  thread_local ThreadMulti multi;
  return multi.handle;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// What one transfer collected.
struct Exchange {
  CURL* easy = nullptr;
  std::string header_block;  // the block of the response last started
  bool block_complete = false;
  bool at_block_start = true;
  std::string body;
  bool header_overflow = false;
};

int status_code_of(std::string_view block) {
  // "HTTP/1.1 200 ..." -> 200; 0 when the line does not look like that.
  const std::size_t space = block.find(' ');
  if (space == std::string_view::npos || space + 4 > block.size()) return 0;
  int code = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    const char c = block[i];
    if (c < '0' || c > '9') return 0;
    code = code * 10 + (c - '0');
  }
  return code;
}

std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  const std::size_t length = size * count;
  std::string_view line(data, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);

  if (exchange->at_block_start) {
    // curl reports every response it sees (proxy CONNECT, 1xx, each redirect
    // hop) and, after the body, any trailers; only the block of the response
    // last started is kept.
    if (line.substr(0, 5) != "HTTP/") return length;
    exchange->header_block.clear();
    exchange->body.clear();
    exchange->block_complete = false;
    exchange->at_block_start = false;
  }
  if (exchange->header_block.size() + line.size() + 2 > kHeaderCap) {
    exchange->header_overflow = true;
    return 0;
  }
  exchange->header_block += strip_line_breaks(line);
  exchange->header_block += "\r\n";
  if (line.empty()) {
    exchange->block_complete = true;
    exchange->at_block_start = true;
  }
  return length;
}

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
  auto* exchange = static_cast<Exchange*>(user);
  const std::size_t length = size * count;
  if (exchange->body.empty()) {
    // One allocation for the announced size instead of growing piece by piece.
    curl_off_t announced = -1;
    if (curl_easy_getinfo(exchange->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) ==
            CURLE_OK &&
        announced > 0) {
      exchange->body.reserve(std::min(static_cast<std::size_t>(announced), kBodyCap));
    }
  }
  const std::size_t room = kBodyCap - exchange->body.size();
  if (length > room) {
    exchange->body.append(data, room);
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
  exchange->body.append(data, length);
  return length;
}

// Wakes the thread's transfer loop when the search that owns it is superseded.
struct CancelWaker {
  std::atomic<bool>* cancelled;
  CURLM* multi;
  void operator()() const noexcept {
    cancelled->store(true);
    curl_multi_wakeup(multi);
  }
};

struct Outcome {
  CURLcode code = CURLE_OK;
  bool cancelled = false;
};

// libcurl's low-speed check averages over the whole transfer, uploads
// included, so a server that takes a POST body and then says nothing is
// given several time-outs. This watch ends the transfer once nothing has moved
// either way for one time-out after the connection stood.
class IdleWatch {
 public:
  IdleWatch(CURL* easy, long timeout_seconds)
      : easy_(easy), timeout_(std::chrono::seconds(timeout_seconds)) {}

  bool expired() {
    const auto now = std::chrono::steady_clock::now();
    curl_off_t connected = 0, down = 0, up = 0;
    long header_bytes = 0;
    curl_easy_getinfo(easy_, CURLINFO_PRETRANSFER_TIME_T, &connected);
    curl_easy_getinfo(easy_, CURLINFO_SIZE_DOWNLOAD_T, &down);
    curl_easy_getinfo(easy_, CURLINFO_SIZE_UPLOAD_T, &up);
    curl_easy_getinfo(easy_, CURLINFO_HEADER_SIZE, &header_bytes);
    // Connecting has its own time-out.
    if (connected <= 0) return false;
    const curl_off_t moved = down + up + header_bytes;
    if (!watching_ || moved != moved_) {
      watching_ = true;
      moved_ = moved;
      last_move_ = now;
      return false;
    }
    return now - last_move_ > timeout_;
  }

 private:
  CURL* easy_;
  std::chrono::steady_clock::duration timeout_;
  bool watching_ = false;
  curl_off_t moved_ = 0;
  std::chrono::steady_clock::time_point last_move_;
};

Outcome run_transfer(CURLM* multi, CURL* easy, long timeout_seconds) {
  IdleWatch idle(easy, timeout_seconds);
  Outcome outcome;
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
    outcome.code = CURLE_FAILED_INIT;
    return outcome;
  }
  std::atomic<bool> cancelled{false};
  {
    std::stop_callback waker(tls_cancel_token, CancelWaker{&cancelled, multi});
    int running = 1;
    bool done = false;
    while (!done) {
      if (cancelled.load()) {
        outcome.cancelled = true;
        break;
      }
      if (curl_multi_perform(multi, &running) != CURLM_OK) {
        outcome.code = CURLE_FAILED_INIT;
        break;
      }
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
          outcome.code = message->data.result;
          done = true;
        }
      }
      if (done) break;
      if (running == 0) {
        outcome.code = CURLE_FAILED_INIT;  // finished without a report: should not happen
        break;
      }
      if (idle.expired()) {
        outcome.code = CURLE_OPERATION_TIMEDOUT;
        break;
      }
      curl_multi_poll(multi, nullptr, 0, 200, nullptr);
    }
  }
  curl_multi_remove_handle(multi, easy);
  return outcome;
}

Failure failure_without_response(CURLcode code) {
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_WRITE_ERROR:
    case CURLE_UNSUPPORTED_PROTOCOL:  // an HTTP/0.9 reply (no status line)
      return Failure::kNoResponse;
    default:
      return Failure::kSend;
  }
}

// The body as text (up to the first zero byte), converted to GBK when its first
// 1024 bytes declare another charset in a meta tag.
std::string body_text(const std::string& body) {
  std::string text = bytes_to_text(body);
  const std::string head = text_left(text, 1024);
  // The pattern needs "charset=" (any case); most pages without it are spared
  // building a matcher.
  if (find_text(head, "charset=", 1, true) == -1) return text;
  RegexMatcher matcher;
  matcher.match(kCharsetPattern, head);
  const std::string charset = matcher.submatch_text(1, 1);
  if (charset.empty() || charset == "gbk" || charset == "gb2312") return text;
  // An unknown charset name leaves the text as it is.
  if (std::optional<std::string> converted = charset_to_gbk(body, charset)) {
    return bytes_to_text(*converted);
  }
  return text;
}

}  // namespace

void set_web_ca_file(std::string path) {
  std::lock_guard lock(ca_mutex());
  ca_file_setting() = std::move(path);
}

std::stop_token current_request_cancel() { return tls_cancel_token; }
std::string web_ca_file() { return current_ca_file(); }

ScopedRequestCancel::ScopedRequestCancel(std::stop_token token)
    : previous_(std::exchange(tls_cancel_token, std::move(token))) {}

ScopedRequestCancel::~ScopedRequestCancel() { tls_cancel_token = std::move(previous_); }

RequestScope current_request_scope() {
  return RequestScope{tls_cancel_token, current_request_settings()};
}

ScopedRequestScope::ScopedRequestScope(const RequestScope& scope)
    : cancel_(scope.cancel), settings_(scope.settings) {}

namespace {

// The whole exchange; WebRequest adds the thread's settings around it.
std::string exchange(std::string_view url, int method, std::string_view post_data,
                     std::string* cookies, std::string* returned_cookies,
                     std::string_view extra_headers, std::string* returned_headers,
                     bool no_redirect, std::string_view user_name, std::string_view password,
                     std::string_view proxy, std::string_view proxy_user_name,
                     std::string_view proxy_password, int timeout_seconds, std::string* location,
                     std::string* status_text, std::string* response_bytes) {
  auto fail = [status_text](Failure failure) {
    if (status_text != nullptr) *status_text = failure_text(failure);
    return std::string();
  };

  if (!global_init_ok()) return fail(Failure::kNoClient);
  const std::optional<RequestTarget> target = split_request_url(url);
  if (!target) return fail(Failure::kBadUrl);
  if (target->https && !curl_has_tls()) return fail(Failure::kNoClient);

  std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
  CURLM* multi = thread_multi();
  if (!handle || multi == nullptr) return fail(Failure::kSession);
  CURL* easy = handle.get();

  // Session: no system proxy; a given proxy is an HTTP proxy ("host:port")
  // used for every address: an empty exception list makes libcurl ignore
  // NO_PROXY and no_proxy from the environment.
  const std::string proxy_text = proxy.empty() || proxy.find("://") != std::string_view::npos
                                     ? std::string(proxy)
                                     : "http://" + std::string(proxy);
  if (curl_easy_setopt(easy, CURLOPT_PROXY, proxy_text.c_str()) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_NOPROXY, "") != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) !=
          CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE)) !=
          CURLE_OK) {
    return fail(Failure::kSession);
  }
  if (const std::string ca_file = current_ca_file(); !ca_file.empty()) {
    // The extra CA file replaces libcurl's bundle file for this handle; the
    // system's CA directory (libcurl's CA path, /etc/ssl/certs on Debian)
    // stays in use, so both are trusted. Verification is never switched off.
    if (curl_easy_setopt(easy, CURLOPT_CAINFO, ca_file.c_str()) != CURLE_OK) {
      return fail(Failure::kSession);
    }
  }

  if (curl_easy_setopt(easy, CURLOPT_URL, target->url.c_str()) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L) != CURLE_OK) {
    return fail(Failure::kConnection);
  }

  // The verb, and the body, which is sent whatever the method.
  const std::string body(post_data);
  CURLcode set = CURLE_OK;
  switch (method) {
    case 1:
      set = curl_easy_setopt(easy, CURLOPT_POST, 1L);
      break;
    case 2:
      set = curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
      break;
    case 3:
      set = curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "PUT");
      break;
    default:
      set = body.empty() ? curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L)
                         : curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "GET");
      break;
  }
  const bool has_body = !body.empty() || method == 1 || method == 3;
  if (set == CURLE_OK && has_body) {
    set = curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    if (set == CURLE_OK) set = curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
  }
  // A bodiless GET or HEAD may go over an idle connection an earlier call of
  // this thread left open to the same server, proxy and TLS settings: the
  // request and its answer are the same, and if the server has dropped the
  // connection meanwhile, libcurl asks again on a new one, which is harmless
  // for these methods. A request with a body always opens its own connection
  // and closes it, so a body can never be sent twice.
  const long own_connection = has_body ? 1L : 0L;
  if (set == CURLE_OK) set = curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, own_connection);
  if (set == CURLE_OK) set = curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, own_connection);
  if (set != CURLE_OK) return fail(Failure::kRequest);

  // Each phase is bounded, not the whole call: connecting (resolve, TCP, TLS,
  // proxy) within the timeout, then no more than the timeout without a byte.
  // A slow but live page therefore still arrives whole.
  const int thread_default = current_request_settings().default_timeout_seconds;
  const long timeout = timeout_seconds >= 1  ? timeout_seconds
                       : thread_default >= 1 ? thread_default
                                             : kDefaultTimeoutSeconds;
  if (curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, timeout) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, timeout) != CURLE_OK) {
    return fail(Failure::kTimeouts);
  }

  const std::string user(user_name);
  const std::string pass(password);
  const std::string proxy_user(proxy_user_name);
  const std::string proxy_pass(proxy_password);
  if (!user.empty() && !pass.empty()) {
    if (curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str()) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_PASSWORD, pass.c_str()) != CURLE_OK) {
      return fail(Failure::kCredentials);
    }
  }
  if (!proxy_user.empty() && !proxy_pass.empty()) {
    if (curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy_user.c_str()) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy_pass.c_str()) != CURLE_OK) {
      return fail(Failure::kCredentials);
    }
  }

  if (curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, no_redirect ? 0L : 1L) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") != CURLE_OK) {
    return fail(Failure::kRedirects);
  }

  const std::string block = build_request_headers(sanitise_extra_headers(extra_headers),
                                                  strip_line_breaks(cookies ? *cookies : ""));
  const std::optional<std::vector<std::string>> lines = header_lines(block);
  if (!lines) return fail(Failure::kHeaders);
  std::unique_ptr<curl_slist, SlistDeleter> headers;
  for (const std::string& line : *lines) {
    curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
    if (grown == nullptr) return fail(Failure::kHeaders);
    headers.release();
    headers.reset(grown);
  }
  if (curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK) {
    return fail(Failure::kHeaders);
  }

  Exchange exchange;
  exchange.easy = easy;
  if (curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, on_header) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, on_body) != CURLE_OK ||
      curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange) != CURLE_OK) {
    return fail(Failure::kRequest);
  }

  if (tls_cancel_token.stop_requested()) return fail(Failure::kSend);
  const Outcome outcome = run_transfer(multi, easy, timeout);

  // The final response's headers are in when its block is complete and it is
  // neither an interim 1xx nor a redirect that curl was about to follow.
  const int code = status_code_of(exchange.header_block);
  const bool redirect_in_flight =
      !no_redirect && code >= 300 && code < 400 && outcome.code != CURLE_OK;
  const bool headers_in =
      exchange.block_complete && code >= 200 && !redirect_in_flight && !exchange.header_overflow;
  if (outcome.cancelled) return fail(headers_in ? Failure::kRead : Failure::kSend);
  if (outcome.code != CURLE_OK) {
    if (!headers_in) return fail(failure_without_response(outcome.code));
    // The body failed part way: say so, and go on with the bytes read.
    if (status_text != nullptr) *status_text = failure_text(Failure::kRead);
  }

  // Steps on the response: headers, cookies, body, charset.
  const std::string raw_headers = header_block_to_gbk(exchange.header_block);
  std::string collected_cookies = returned_cookies != nullptr ? *returned_cookies : std::string();
  std::optional<std::string> new_location;
  ScannedHeaders scanned = scan_response_headers(raw_headers, collected_cookies, new_location);
  if (returned_headers != nullptr) *returned_headers = std::move(scanned.normalised);
  if (status_text != nullptr) *status_text = std::move(scanned.status_text);
  if (location != nullptr && new_location) *location = std::move(*new_location);
  if (cookies != nullptr) merge_cookies(*cookies, collected_cookies);
  if (returned_cookies != nullptr) *returned_cookies = std::move(collected_cookies);

  std::string result = body_text(exchange.body);
  if (response_bytes != nullptr) *response_bytes = std::move(exchange.body);
  return result;
}

const char* method_name(int method) {
  switch (method) {
    case 1:
      return "POST";
    case 2:
      return "HEAD";
    case 3:
      return "PUT";
    default:
      return "GET";
  }
}

}  // namespace

std::string WebRequest(std::string_view url, int method, std::string_view post_data,
                       std::string* cookies, std::string* returned_cookies,
                       std::string_view extra_headers, std::string* returned_headers,
                       bool no_redirect, std::string_view user_name, std::string_view password,
                       std::string_view proxy, std::string_view proxy_user_name,
                       std::string_view proxy_password, int timeout_seconds, std::string* location,
                       std::string* status_text, std::string* response_bytes) {
  const std::shared_ptr<const RequestObserver> observer = current_request_settings().observer;
  if (!observer || !*observer) {
    return exchange(url, method, post_data, cookies, returned_cookies, extra_headers,
                    returned_headers, no_redirect, user_name, password, proxy, proxy_user_name,
                    proxy_password, timeout_seconds, location, status_text, response_bytes);
  }
  // The observer needs the status even when the caller does not ask for it;
  // a caller's status text that the call leaves alone stays as it was.
  std::string status = status_text != nullptr ? *status_text : std::string();
  const auto started = std::chrono::steady_clock::now();
  std::string result =
      exchange(url, method, post_data, cookies, returned_cookies, extra_headers, returned_headers,
               no_redirect, user_name, password, proxy, proxy_user_name, proxy_password,
               timeout_seconds, location, &status, response_bytes);
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  (*observer)(RequestRecord{method_name(method), url, status, elapsed});
  if (status_text != nullptr) *status_text = std::move(status);
  return result;
}

}  // namespace trovix
