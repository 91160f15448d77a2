#include "app/tray_residency.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "app/popup_menus.h"
#include "app/tray_shell.h"
#include "web/codec.h"

namespace trovix {

namespace {

QMargins frame_of(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

}  // namespace

TrayResidency::TrayResidency(QWidget& window, QMenu* menu, TrayShell& shell,
                             WindowHandle window_handle)
    : QObject(&window),
      window_(window),
      menu_(menu),
      shell_(shell),
      window_handle_(window_handle),
      tray_(std::make_unique<TrayIcon>(shell)),
      cursor_([] { return QCursor::pos(); }) {
  window_.installEventFilter(this);
  if (QAction* show = PopupMenus::item(menu_, QStringLiteral("显示面板"))) {
    connect(show, &QAction::triggered, this, &TrayResidency::restore_window);
  }
}

TrayResidency::~TrayResidency() = default;

void TrayResidency::add_icon() {
  // No icon bytes of our own: the window's icon; no tip.
  icon_added_ = tray_->add(window_handle_, {}, false, {}) != 0;
}

void TrayResidency::hook_events() {
  tray_->hook_window([this](int code) { on_tray_event(code); }, true);
}

void TrayResidency::on_tray_event(int code) {
  switch (code) {
    case tray_event::right_button_up:
      if (menu_) menu_->popup(cursor_());
      break;
    case tray_event::left_double_click:
      restore_window();
      break;
    case tray_event::area_created:
      // The notification area is back: put the icon in it again, or a window
      // hidden later would have no way back.
      add_icon();
      break;
    default:
      break;
  }
}

void TrayResidency::on_area_lost() {
  icon_added_ = false;
  if (hidden_in_tray_) restore_window();
}

void TrayResidency::restore_window() {
  hidden_in_tray_ = false;
  window_.setWindowState(window_.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
  window_.show();
  window_.raise();
  window_.activateWindow();
  const QScreen* screen = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  // Right after a hidden window is shown again the window manager has not yet
  // told its frame; the frame it had before the hide stands in for it.
  const bool frame_known = window_.frameGeometry() != window_.geometry();
  const QMargins frame = frame_known ? frame_of(window_) : frame_;
  const QSize size = window_.size().grownBy(frame);
  const ScreenPoint at = centred_position(area.width(), area.height(), size.width(), size.height());
  const QPoint corner(area.x() + at.x, area.y() + at.y);
  if (frame_known) {
    window_.move(corner);
  } else {
    // Without a known frame, Qt places the window's inside at the point.
    window_.move(corner + QPoint(frame.left(), frame.top()));
  }
}

void TrayResidency::hide_to_tray() {
  // One minimise can bring more than one state change; the first hides.
  if (!window_.isMinimized() || !window_.isVisible()) return;
  if (!icon_added_ || !shell_.area_available()) return;
  hidden_in_tray_ = true;
  if (window_.frameGeometry() != window_.geometry()) frame_ = frame_of(window_);
  window_.hide();
  static const std::string title = gbk("温馨提示：");
  static const std::string text = gbk("小主人，我缩小到这儿来啦，右击我查看显示主窗口吆。");
  tray_->show_balloon(title, text, balloon_icon::none);
}

bool TrayResidency::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && event->type() == QEvent::WindowStateChange && window_.isMinimized()) {
    // Hiding inside the state change would fight the window manager's own
    // handling of it; right after it, the window goes.
    QTimer::singleShot(0, this, &TrayResidency::hide_to_tray);
  }
  return QObject::eventFilter(watched, event);
}

TrayResidency* attach_tray_residency(QWidget& window, QMenu* menu, QtTrayShell& shell) {
  auto* residency = new TrayResidency(window, menu, shell, shell.handle_of(&window));
  QObject::connect(&shell, &QtTrayShell::area_lost, residency, &TrayResidency::on_area_lost);
  return residency;
}

}  // namespace trovix
