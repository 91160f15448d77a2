#include "app/tray_shell.h"

#include <QImage>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/gui_text.h"
#include "tray/icon_file.h"

namespace trovix {

namespace {

// The host of the notification area can end and start again at any time; a
// look once a second is cheap (one round trip to the display server).
constexpr int kAreaWatchMs = 1000;

// Qt reports a click as a whole rather than as press and release messages.
int code_of(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Context:
      return tray_event::right_button_up;
    case QSystemTrayIcon::DoubleClick:
      return tray_event::left_double_click;
    case QSystemTrayIcon::Trigger:
      return tray_event::left_button_up;
    case QSystemTrayIcon::MiddleClick:
      return tray_event::middle_button_up;
    case QSystemTrayIcon::Unknown:
      break;
  }
  return 0;
}

QSystemTrayIcon::MessageIcon balloon_icon_of(std::uint32_t info_flags) {
  switch (info_flags & 3u) {
    case balloon_icon::information:
      return QSystemTrayIcon::Information;
    case balloon_icon::warning:
      return QSystemTrayIcon::Warning;
    case balloon_icon::error:
      return QSystemTrayIcon::Critical;
    default:
      return QSystemTrayIcon::NoIcon;
  }
}

}  // namespace

QtTrayShell::QtTrayShell(QObject* parent) : QObject(parent) {
  area_watch_ = new QTimer(this);
  area_watch_->setInterval(kAreaWatchMs);
  connect(area_watch_, &QTimer::timeout, this, &QtTrayShell::watch_area);
}

QtTrayShell::~QtTrayShell() = default;

WindowHandle QtTrayShell::handle_of(QWidget* window) {
  if (window == nullptr) return 0;
  const auto handle = reinterpret_cast<WindowHandle>(window);
  windows_[handle] = window;
  return handle;
}

bool QtTrayShell::is_window(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found != windows_.end() && !found->second.isNull();
}

bool QtTrayShell::area_available() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

IconHandle QtTrayShell::window_small_icon(WindowHandle window) {
  if (!is_window(window)) return 0;
  const QIcon icon = windows_[window]->windowIcon();
  if (icon.isNull()) return 0;
  icons_.push_back(icon);
  return icons_.size();
}

IconHandle QtTrayShell::make_icon(std::string_view image_bytes, bool png) {
  QImage image;
  if (png) {
    image.loadFromData(reinterpret_cast<const uchar*>(image_bytes.data()),
                       static_cast<int>(image_bytes.size()), "PNG");
  } else if (const std::optional<IconPixels> pixels = decode_icon_bitmap(image_bytes)) {
    image = QImage(pixels->width, pixels->height, QImage::Format_ARGB32);
    for (int y = 0; y < pixels->height; ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < pixels->width; ++x) line[x] = pixels->argb[y * pixels->width + x];
    }
  }
  if (image.isNull()) return 0;
  icons_.push_back(QIcon(QPixmap::fromImage(image)));
  return icons_.size();
}

QIcon QtTrayShell::icon(IconHandle handle) const {
  if (handle == 0 || handle > icons_.size()) return {};
  return icons_[handle - 1];
}

int QtTrayShell::notify(ShellCommand command, NotifyRecord& record) {
  if (command == ShellCommand::remove) {
    if (tray_ == nullptr) return 0;
    tray_->hide();
    return 1;
  }
  if (command == ShellCommand::add) {
    if (!area_available()) return 0;
    if (tray_ == nullptr) {
      tray_ = new QSystemTrayIcon(this);
      connect(tray_, &QSystemTrayIcon::activated, this,
              [this](QSystemTrayIcon::ActivationReason reason) {
                if (const int code = code_of(reason)) deliver(tray_message::callback, code);
              });
    }
  }
  if (tray_ == nullptr) return 0;
  if (record.flags & notify_flag::icon) tray_->setIcon(icon(record.icon));
  if (record.flags & notify_flag::tip) tray_->setToolTip(from_gbk(record.tip_text()));
  if (command == ShellCommand::add) {
    // Without an icon there is nothing to show (Qt refuses one without).
    if (!tray_->icon().isNull()) tray_->show();
    area_was_available_ = true;
    area_watch_->start();
    return tray_->isVisible() ? 1 : 0;
  }
  const std::string text = record.info_text();
  if ((record.flags & notify_flag::info) && !text.empty() && tray_->isVisible()) {
    tray_->showMessage(from_gbk(record.info_title_text()), from_gbk(text),
                       balloon_icon_of(record.info_flags), static_cast<int>(record.timeout_ms));
  }
  return 1;
}

bool QtTrayShell::icon_shown() const {
  return tray_ != nullptr && tray_->isVisible() && area_available();
}

void QtTrayShell::set_window_procedure(WindowHandle window, WindowProcedure procedure) {
  disconnect(destroyed_connection_);
  procedure_ = std::move(procedure);
  if (procedure_ && is_window(window)) {
    destroyed_connection_ = connect(windows_[window].data(), &QObject::destroyed, this,
                                    [this] { deliver(tray_message::destroy, 0); });
  }
}

void QtTrayShell::deliver(std::uint32_t message, std::uint32_t param) {
  // Copied first: the routine may take the hook away while it runs.
  const WindowProcedure procedure = procedure_;
  if (procedure) procedure(message, param);
}

void QtTrayShell::watch_area() {
  const bool available = area_available();
  if (available == area_was_available_) return;
  area_was_available_ = available;
  if (available) {
    deliver(kAreaCreatedMessage, 0);
  } else {
    emit area_lost();
  }
}

}  // namespace trovix
