#include "tray/tray_icon.h"

#include <algorithm>

#include "tray/icon_file.h"
#include "web/text_ops.h"

namespace trovix {

namespace {

template <std::size_t N>
void store_text(std::array<char, N>& buffer, std::string_view text) {
  buffer.fill(0);
  const std::string cut = text_left(text, static_cast<int>(N) - 1);
  std::copy(cut.begin(), cut.end(), buffer.begin());
}

template <std::size_t N>
std::string text_of(const std::array<char, N>& buffer) {
  return bytes_to_text(std::string_view(buffer.data(), N));
}

}  // namespace

std::string NotifyRecord::tip_text() const { return text_of(tip); }
std::string NotifyRecord::info_text() const { return text_of(info); }
std::string NotifyRecord::info_title_text() const { return text_of(info_title); }

TrayIcon::TrayIcon(TrayShell& shell)
    : shell_(&shell), area_created_message_(shell.area_created_message()) {}

void TrayIcon::destroy() {
  record_ = NotifyRecord{};
  routine_ = nullptr;
}

TrayIcon::~TrayIcon() {
  if (hooked_) shell_->set_window_procedure(window_, nullptr);
}

std::unique_ptr<TrayIcon> TrayIcon::copy() const {
  auto other = std::make_unique<TrayIcon>(*shell_);
  other->record_ = record_;
  other->window_ = window_;
  return other;
}

int TrayIcon::call_shell(ShellCommand command) {
  // The shell works on a copy; whatever it writes back becomes the record.
  NotifyRecord sent = record_;
  const int result = shell_->notify(command, sent);
  record_ = sent;
  return result;
}

int TrayIcon::add(WindowHandle window, std::string_view icon_bytes, bool use_icon_bytes,
                  std::string_view tip) {
  if (!shell_->is_window(window)) return 0;
  window_ = window;
  const IconHandle icon =
      use_icon_bytes ? icon_from_bytes(icon_bytes, 0) : shell_->window_small_icon(window);
  record_.size = kNotifyRecordSize;
  record_.window = window;
  record_.icon_id = 1;
  record_.flags = notify_flag::message | notify_flag::icon | notify_flag::tip | notify_flag::info;
  record_.callback_message = tray_message::callback;
  record_.icon = icon;
  record_.timeout_ms = kBalloonTimeoutMs;
  store_text(record_.tip, tip);
  return call_shell(ShellCommand::add);
}

int TrayIcon::remove() {
  if (hooked_) shell_->set_window_procedure(window_, nullptr);
  hooked_ = false;
  window_ = 0;
  return call_shell(ShellCommand::remove);
}

int TrayIcon::set_tip(std::string_view tip) {
  store_text(record_.tip, tip);
  return call_shell(ShellCommand::modify);
}

int TrayIcon::show_balloon(std::string_view title, std::string_view text,
                           std::uint32_t info_flags) {
  record_.info_flags = info_flags;
  store_text(record_.info_title, title);
  store_text(record_.info, text);
  return call_shell(ShellCommand::modify);
}

int TrayIcon::set_icon(std::string_view icon_bytes) {
  const IconHandle icon = icon_from_bytes(icon_bytes, 0);
  if (icon == 0) return 0;
  record_.flags = notify_flag::message | notify_flag::icon | notify_flag::tip;
  record_.icon = icon;
  return call_shell(ShellCommand::modify);
}

IconHandle TrayIcon::icon_from_bytes(std::string_view icon_bytes, int image_index, int* width,
                                     int* height) {
  const std::optional<IconImage> image = icon_image(icon_bytes, image_index);
  if (width) *width = image ? image->entry_width : 0;
  if (height) *height = image ? image->entry_height : 0;
  if (!image) return 0;
  return shell_->make_icon(image->data, image->format == IconImageFormat::png);
}

void TrayIcon::hook_window(EventRoutine routine, bool routine_given) {
  if (!shell_->is_window(window_)) return;
  routine_ = routine_given ? std::move(routine) : nullptr;
  hooked_ = true;
  shell_->set_window_procedure(window_, [this](std::uint32_t message, std::uint32_t param) {
    return window_procedure(message, param);
  });
}

bool TrayIcon::window_procedure(std::uint32_t message, std::uint32_t param) {
  if (!hooked_) return false;
  if (message == tray_message::callback || message == area_created_message_) {
    if (!routine_) return false;
    const int code =
        message == tray_message::callback ? static_cast<int>(param) : tray_event::area_created;
    // Copied first: the routine may hook anew or remove the icon.
    const EventRoutine routine = routine_;
    routine(code);
    return true;
  }
  if (message == tray_message::destroy && routine_) {
    const EventRoutine routine = routine_;
    routine(tray_event::window_destroyed);
  }
  return false;
}

ScreenPoint centred_position(int screen_width, int screen_height, int window_width,
                             int window_height) {
  return {std::max(0, (screen_width - window_width) / 2),
          std::max(0, (screen_height - window_height) / 2)};
}

}  // namespace trovix
