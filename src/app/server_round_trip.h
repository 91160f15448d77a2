// The start-up round trip to the program's server, as steps of the main
// window's creation sequence: the update window (step 5), the notice (step 8)
// and the usage panel (step 9), plus the exit link opened when the main window
// is destroyed. Owns the server values the windows share.
#pragma once

#include <functional>
#include <memory>

#include "app/startup.h"
#include "server/server_values.h"

namespace trovix {

class MainWindow;
class StatusDriver;
class UpdateWindow;

class ServerRoundTrip {
 public:
  // Starts the status bar's timers at once; `window` outlives this object.
  explicit ServerRoundTrip(MainWindow& window);

  // Fills run_update_check, setup_notice and fill_usage_panel.
  void add_steps(CreationSteps& steps);
  // Called with the update window after it was made and before it opens (the
  // self-update attaches its handler here).
  void set_update_window_hook(std::function<void(UpdateWindow&)> hook) {
    update_window_hook_ = std::move(hook);
  }
  // The program's exit code when the update check ended it.
  int exit_code() const { return exit_code_; }
  std::shared_ptr<ServerValues> values() const { return values_; }
  StatusDriver* status() const { return status_; }

 private:
  MainWindow& window_;
  std::shared_ptr<ServerValues> values_;
  StatusDriver* status_;  // owned by the main window
  std::function<void(UpdateWindow&)> update_window_hook_;
  int exit_code_ = 0;
};

}  // namespace trovix
