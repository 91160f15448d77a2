// The main window's life in the notification area: the icon added and the
// window hooked while the window is created, minimise hides the window with a
// balloon, a right click shows "缩小菜单", a double click or "显示面板" brings
// the window back centred. Without a notification area, minimise is left to
// the window manager so the window can always be reached.
#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>

#include "tray/tray_icon.h"

class QMenu;
class QWidget;

namespace trovix {

class TrayResidency : public QObject {
  Q_OBJECT
 public:
  // `shell` outlives this object; `menu` is "缩小菜单".
  TrayResidency(QWidget& window, QMenu* menu, TrayShell& shell, WindowHandle window_handle);
  ~TrayResidency() override;

  // Creation steps 1 and 2.
  void add_icon();
  void hook_events();

  // What the icon object reports (515, 517, 1120, 1130 and the other mouse codes).
  void on_tray_event(int code);
  // The notification area went away: a window hidden in it comes back.
  void on_area_lost();
  // Shows the window in its normal state in the middle of its screen.
  void restore_window();

  TrayIcon& tray() { return *tray_; }
  bool icon_added() const { return icon_added_; }
  // Where the menu goes (tests replace the cursor).
  void set_cursor_source(std::function<QPoint()> source) { cursor_ = std::move(source); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void hide_to_tray();

  QWidget& window_;
  QMenu* menu_;
  TrayShell& shell_;
  WindowHandle window_handle_;
  std::unique_ptr<TrayIcon> tray_;
  bool icon_added_ = false;
  bool hidden_in_tray_ = false;
  QMargins frame_;  // the window manager's frame, as last seen
  std::function<QPoint()> cursor_;
};

class QtTrayShell;

// The residency for `window` on the platform's notification area, a child of
// the window; `shell` must outlive the window.
TrayResidency* attach_tray_residency(QWidget& window, QMenu* menu, QtTrayShell& shell);

}  // namespace trovix
