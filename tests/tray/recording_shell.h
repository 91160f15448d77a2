// A notification area that records what it is handed, for the icon object's
// rules: which calls arrived with which record, and the hooked procedure.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tray/tray_icon.h"

namespace trovix::testing {

class RecordingShell : public TrayShell {
 public:
  struct Call {
    ShellCommand command;
    NotifyRecord record;
  };

  bool is_window(WindowHandle window) const override { return window == kWindow; }
  bool area_available() const override { return available; }
  std::uint32_t area_created_message() const override { return kAreaCreated; }
  IconHandle window_small_icon(WindowHandle) override { return kSmallIcon; }
  IconHandle make_icon(std::string_view bytes, bool png) override {
    made.emplace_back(std::string(bytes), png);
    return kMadeIcon + made.size();
  }
  int notify(ShellCommand command, NotifyRecord& record) override {
    calls.push_back({command, record});
    return result;
  }
  void set_window_procedure(WindowHandle, WindowProcedure procedure) override {
    this->procedure = std::move(procedure);
  }

  static constexpr WindowHandle kWindow = 0x5000;
  static constexpr std::uint32_t kAreaCreated = 0xC123;
  static constexpr IconHandle kSmallIcon = 77;
  static constexpr IconHandle kMadeIcon = 1000;

  int result = 1;
  bool available = true;
  std::vector<Call> calls;
  std::vector<std::pair<std::string, bool>> made;
  WindowProcedure procedure;
};

}  // namespace trovix::testing
