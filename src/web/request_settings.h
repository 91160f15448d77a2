// Settings every WebRequest made on a thread follows: the time-out a call
// that names none uses, and an observer told of every finished exchange (the
// command line's --verbose). A search installs them on its worker thread; a
// unit that fans work out to threads of its own captures them there and
// installs the copy on each of its threads, so every request of the search
// follows the same settings.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace trovix {

// One finished exchange, as the observer sees it (texts GBK).
struct RequestRecord {
  std::string_view method;  // "GET", "POST", "HEAD" or "PUT"
  std::string_view url;     // as the caller gave it
  std::string_view status;  // "200 OK", or one of the numbered failure texts 700 to 713
  std::chrono::milliseconds elapsed{0};
};

using RequestObserver = std::function<void(const RequestRecord&)>;

struct RequestSettings {
  // Used by calls whose timeout_seconds is below 1; below 1 here too: 30 s.
  int default_timeout_seconds = 0;
  // Called on the requesting thread after every exchange; may be empty.
  std::shared_ptr<const RequestObserver> observer;
};

// The settings of the calling thread (defaults until a scope installs some).
const RequestSettings& current_request_settings();

// Installs `settings` on the calling thread for its lifetime and puts the
// previous ones back at its end. Scopes nest.
class ScopedRequestSettings {
 public:
  explicit ScopedRequestSettings(RequestSettings settings);
  ~ScopedRequestSettings();
  ScopedRequestSettings(const ScopedRequestSettings&) = delete;
  ScopedRequestSettings& operator=(const ScopedRequestSettings&) = delete;

 private:
  RequestSettings previous_;
};

}  // namespace trovix
