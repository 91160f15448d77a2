#include "web/request_settings.h"

#include <utility>

namespace trovix {

namespace {

thread_local RequestSettings tls_settings;

}  // namespace

const RequestSettings& current_request_settings() { return tls_settings; }

ScopedRequestSettings::ScopedRequestSettings(RequestSettings settings)
    : previous_(std::exchange(tls_settings, std::move(settings))) {}

ScopedRequestSettings::~ScopedRequestSettings() { tls_settings = std::move(previous_); }

}  // namespace trovix
