// The main window's three popup menus. They are shown at the cursor, never as
// a menu bar; the result actions and the tray connect to their items.
#pragma once

#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace trovix {

struct PopupMenus {
  QMenu* normal = nullptr;   // "普通右击": the list's menu for engines 1, 2, 4, 5, 6
  QMenu* torrent = nullptr;  // "torrent右击": the list's menu for engine 3
  QMenu* tray = nullptr;     // "缩小菜单": the notification-area menu

  // The item with that caption in that menu, or nullptr.
  static QAction* item(QMenu* menu, const QString& caption);
};

// Creates the three menus as children of `owner`.
PopupMenus make_popup_menus(QWidget* owner);

}  // namespace trovix
