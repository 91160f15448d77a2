#include "app/server_round_trip.h"

#include "app/main_window.h"
#include "app/status_driver.h"
#include "app/update_window.h"

namespace trovix {

ServerRoundTrip::ServerRoundTrip(MainWindow& window)
    : window_(window),
      values_(std::make_shared<ServerValues>()),
      status_(new StatusDriver(window, values_)) {
  // While the main window is destroyed (closed with its title-bar button), the
  // exit link goes to the shell unchanged, also when it is empty.
  window_.set_destroy_handler(
      [&window, values = values_] { window.open_address(values->exit_link); });
}

void ServerRoundTrip::add_steps(CreationSteps& steps) {
  steps.run_update_check = [this] {
    UpdateWindow update(values_, window_.addresses(), &window_);
    if (update_window_hook_) update_window_hook_(update);
    const bool go_on = update.run();
    exit_code_ = update.exit_code();
    return go_on;
  };
  steps.setup_notice = [this] { status_->setup_notice(); };
  steps.fill_usage_panel = [this] { status_->fill_usage_panel(); };
}

}  // namespace trovix
