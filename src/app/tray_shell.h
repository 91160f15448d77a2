// The notification area on Qt: QSystemTrayIcon behind the TrayShell the icon
// object talks to. It turns the icon's activations into the mouse codes, the
// hooked window's destruction into its message, and watches the notification
// area going away and coming back.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <vector>

#include "tray/tray_icon.h"

class QSystemTrayIcon;
class QTimer;

namespace trovix {

class QtTrayShell : public QObject, public TrayShell {
  Q_OBJECT
 public:
  explicit QtTrayShell(QObject* parent = nullptr);
  ~QtTrayShell() override;

  // The handle the icon object knows `window` by.
  WindowHandle handle_of(QWidget* window);

  bool is_window(WindowHandle window) const override;
  bool area_available() const override;
  std::uint32_t area_created_message() const override { return kAreaCreatedMessage; }
  IconHandle window_small_icon(WindowHandle window) override;
  IconHandle make_icon(std::string_view image_bytes, bool png) override;
  int notify(ShellCommand command, NotifyRecord& record) override;
  void set_window_procedure(WindowHandle window, WindowProcedure procedure) override;

  // Whether the icon stands in a notification area now.
  bool icon_shown() const;
  QSystemTrayIcon* system_tray_icon() const { return tray_; }
  QIcon icon(IconHandle handle) const;

  // A number in the range the platform hands out for registered names.
  static constexpr std::uint32_t kAreaCreatedMessage = 0xC1D0;

 signals:
  // The notification area went away (its host ended).
  void area_lost();

 private:
  void watch_area();
  void deliver(std::uint32_t message, std::uint32_t param);

  QSystemTrayIcon* tray_ = nullptr;
  QTimer* area_watch_ = nullptr;
  bool area_was_available_ = false;
  std::vector<QIcon> icons_;  // handle n is icons_[n - 1]
  std::map<WindowHandle, QPointer<QWidget>> windows_;
  WindowProcedure procedure_;
  QMetaObject::Connection destroyed_connection_;
};

}  // namespace trovix
