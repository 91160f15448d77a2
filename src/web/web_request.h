// One blocking HTTP or HTTPS exchange. Returns the body as GBK text, empty on
// failure. Out arguments are pointers: nullptr means the caller omitted them.
#pragma once

#include <stop_token>
#include <string>
#include <string_view>

#include "web/request_settings.h"

namespace trovix {

std::string WebRequest(std::string_view url, int method = 0, std::string_view post_data = {},
                       std::string* cookies = nullptr, std::string* returned_cookies = nullptr,
                       std::string_view extra_headers = {}, std::string* returned_headers = nullptr,
                       bool no_redirect = false, std::string_view user_name = {},
                       std::string_view password = {}, std::string_view proxy = {},
                       std::string_view proxy_user_name = {}, std::string_view proxy_password = {},
                       int timeout_seconds = 0, std::string* location = nullptr,
                       std::string* status_text = nullptr, std::string* response_bytes = nullptr);

// Process-wide TLS setting: an extra CA bundle trusted besides the system's
// (the site simulator's own certificate). Verification is never switched off.
void set_web_ca_file(std::string path);
// The CA bundle set above (empty: the system's only), for other transfers of the program.
std::string web_ca_file();

// While an instance lives on a thread, every WebRequest made on that thread
// is abandoned as soon as the token is stopped (used when a search is
// superseded or the program shuts down; Pause does not use it). Work that
// fans out to threads of its own captures current_request_scope() (below) and
// installs it on each of them.
std::stop_token current_request_cancel();

class ScopedRequestCancel {
 public:
  explicit ScopedRequestCancel(std::stop_token token);
  ~ScopedRequestCancel();
  ScopedRequestCancel(const ScopedRequestCancel&) = delete;
  ScopedRequestCancel& operator=(const ScopedRequestCancel&) = delete;

 private:
  std::stop_token previous_;
};

// The per-thread request state of a thread: its cancel token and its request
// settings (time-out, observer). A thread that makes requests on behalf of
// another captures that thread's scope and installs it for as long as it works
// for it, so its requests are abandoned and configured exactly as the other
// thread's would be.
struct RequestScope {
  std::stop_token cancel;
  RequestSettings settings;
};
RequestScope current_request_scope();

class ScopedRequestScope {
 public:
  explicit ScopedRequestScope(const RequestScope& scope);
  ScopedRequestScope(const ScopedRequestScope&) = delete;
  ScopedRequestScope& operator=(const ScopedRequestScope&) = delete;

 private:
  ScopedRequestCancel cancel_;
  ScopedRequestSettings settings_;
};

}  // namespace trovix
