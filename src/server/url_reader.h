// The two network facilities of the start-up round trip, on WebRequest: the
// URL reader (one fresh GET, the body or nothing) and the connectivity check.
// Both block their caller, so windows run them on a background job; a stop of
// that job abandons the request at once.
#pragma once

#include <string>
#include <string_view>

namespace trovix {

// Bounds each phase of a read (connecting, then any stretch without a byte),
// so a silent server ends in "nothing" instead of holding the window's job.
inline constexpr int kUrlReadTimeoutSeconds = 10;
inline constexpr int kConnectivityTimeoutSeconds = 5;

// One GET that always reaches the server (no cache: "Cache-Control: no-cache"
// and "Pragma: no-cache"). Returns the body up to its first zero byte, without
// charset conversion; "" when the request fails, the status is not 2xx, or the
// body arrived short of its announced length.
std::string read_url(std::string_view address, int timeout_seconds = kUrlReadTimeoutSeconds);

// True when a GET of `address` is answered with a 2xx or 3xx status (a
// redirect is not followed: any answer from the site shows the way out works).
bool connectivity_check(std::string_view address,
                        int timeout_seconds = kConnectivityTimeoutSeconds);

}  // namespace trovix
