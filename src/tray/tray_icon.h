// The notification-area icon object: the record the notification area is
// given, its text cuts and flags, and the routing of the icon's events to the
// caller's routine. The notification area itself sits behind TrayShell, so the
// rules run and are tested without a window system.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace trovix {

using WindowHandle = std::uintptr_t;  // 0: no window
using IconHandle = std::uintptr_t;    // 0: no icon

// The messages a hooked window receives that concern the icon.
namespace tray_message {
inline constexpr std::uint32_t callback = 11685;  // the icon's mouse messages; the code rides along
inline constexpr std::uint32_t destroy = 2;       // the window is being destroyed
}  // namespace tray_message

// The event codes handed to the event routine: mouse message numbers for the
// icon's mouse events, and two codes of the object's own.
namespace tray_event {
inline constexpr int left_button_up = 514;  // a single left click
inline constexpr int left_double_click = 515;
inline constexpr int right_button_up = 517;
inline constexpr int middle_button_up = 520;
inline constexpr int area_created = 1120;  // the notification area came back after it went away
inline constexpr int window_destroyed = 1130;
}  // namespace tray_event

namespace notify_flag {
inline constexpr std::uint32_t message = 1;
inline constexpr std::uint32_t icon = 2;
inline constexpr std::uint32_t tip = 4;
inline constexpr std::uint32_t info = 16;
}  // namespace notify_flag

// The record the notification area is handed on every call. The text fields
// are zero-filled byte buffers; a text keeps at most one byte less than its
// buffer so the terminating zero fits, cut byte-wise as text_left cuts.
struct NotifyRecord {
  std::uint32_t size = 0;
  WindowHandle window = 0;
  std::uint32_t icon_id = 0;
  std::uint32_t flags = 0;
  std::uint32_t callback_message = 0;
  IconHandle icon = 0;
  std::array<char, 128> tip{};
  std::uint32_t state = 0;
  std::uint32_t state_mask = 0;
  std::array<char, 256> info{};
  std::uint32_t timeout_ms = 0;
  std::array<char, 64> info_title{};
  std::uint32_t info_flags = 0;

  std::string tip_text() const;
  std::string info_text() const;
  std::string info_title_text() const;
};

inline constexpr std::uint32_t kNotifyRecordSize = 488;
inline constexpr std::uint32_t kBalloonTimeoutMs = 10000;

// Balloon icon kinds in the info flags.
namespace balloon_icon {
inline constexpr std::uint32_t none = 0;
inline constexpr std::uint32_t information = 1;
inline constexpr std::uint32_t warning = 2;
inline constexpr std::uint32_t error = 3;
}  // namespace balloon_icon

enum class ShellCommand { add, modify, remove };

// The platform's notification area and windows, as the icon object needs them.
class TrayShell {
 public:
  // Sees the hooked window's messages first; true when it consumed one, false
  // to let the window handle it as it would without the hook.
  using WindowProcedure = std::function<bool(std::uint32_t message, std::uint32_t param)>;

  virtual ~TrayShell() = default;
  virtual bool is_window(WindowHandle window) const = 0;
  // Whether a notification area exists to hold an icon right now.
  virtual bool area_available() const = 0;
  // The message number the platform sends when the notification area is created anew.
  virtual std::uint32_t area_created_message() const = 0;
  virtual IconHandle window_small_icon(WindowHandle window) = 0;
  // 0 when the platform cannot make an icon of those bytes.
  virtual IconHandle make_icon(std::string_view image_bytes, bool png) = 0;
  // Non-zero on success. The shell may write fields of the record back.
  virtual int notify(ShellCommand command, NotifyRecord& record) = 0;
  // Puts `procedure` in front of the window's own handling; an empty one
  // takes it away again.
  virtual void set_window_procedure(WindowHandle window, WindowProcedure procedure) = 0;
};

class TrayIcon {
 public:
  using EventRoutine = std::function<void(int code)>;

  explicit TrayIcon(TrayShell& shell);
  // Takes its hook away (the shell must not call into a gone object); the
  // icon stays, as with destroy.
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Releases the record's contents; the icon stays in the notification area.
  void destroy();
  // A second object with a copy of the record and the same window. The hook
  // stays with this object: the copy reports no events.
  std::unique_ptr<TrayIcon> copy() const;

  // The toolbars of the Windows notification area and the sweep that made it
  // drop icons of ended processes have no counterpart on Linux: the
  // notification area there tracks its icons' windows by itself.
  WindowHandle tray_toolbar() const { return 0; }
  WindowHandle overflow_toolbar() const { return 0; }
  void refresh_area(bool overflow) const { static_cast<void>(overflow); }

  // Adds the icon for `window`: the icon from `icon_bytes` (image 0) when
  // `use_icon_bytes`, else the window's small icon. 0 when the handle is not a
  // window (nothing changes then), else the notification area's result.
  int add(WindowHandle window, std::string_view icon_bytes, bool use_icon_bytes,
          std::string_view tip);
  // Takes the hook away, forgets the window and deletes the icon.
  int remove();
  int set_tip(std::string_view tip);
  int show_balloon(std::string_view title, std::string_view text, std::uint32_t info_flags);
  // 0 and nothing changed when the bytes give no icon.
  int set_icon(std::string_view icon_bytes);
  // The icon of image `image_index` of an icon file, 0 when there is none;
  // `width` and `height` get the entry's size bytes (0 stands for 256).
  IconHandle icon_from_bytes(std::string_view icon_bytes, int image_index, int* width = nullptr,
                             int* height = nullptr);
  // Routes the window's icon messages to `routine` (when `routine_given`).
  // Does nothing when the stored window is not a window.
  void hook_window(EventRoutine routine, bool routine_given);

  // What a hooked window's messages pass through; true when consumed.
  bool window_procedure(std::uint32_t message, std::uint32_t param);

  const NotifyRecord& record() const { return record_; }
  WindowHandle window() const { return window_; }
  bool hooked() const { return hooked_; }
  std::uint32_t area_created_message() const { return area_created_message_; }

 private:
  int call_shell(ShellCommand command);

  TrayShell* shell_;
  std::uint32_t area_created_message_;
  NotifyRecord record_;
  bool hooked_ = false;
  WindowHandle window_ = 0;
  EventRoutine routine_;
};

// Where a window of that size stands in the middle of a screen of that size
// (integer halves). A window larger than the screen keeps its title bar on
// it: a negative position becomes 0.
struct ScreenPoint {
  int x = 0;
  int y = 0;
};
ScreenPoint centred_position(int screen_width, int screen_height, int window_width,
                             int window_height);

}  // namespace trovix
