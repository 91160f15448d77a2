#include "app/popup_menus.h"

#include <QAction>
#include <QMenu>
#include <initializer_list>

namespace trovix {

namespace {

QMenu* make_menu(QWidget* owner, const QString& name, std::initializer_list<QString> items) {
  auto* menu = new QMenu(name, owner);
  menu->setObjectName(name);
  for (const QString& caption : items) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(caption);
  }
  return menu;
}

}  // namespace

QAction* PopupMenus::item(QMenu* menu, const QString& caption) {
  if (menu == nullptr) return nullptr;
  for (QAction* action : menu->actions()) {
    if (action->text() == caption) return action;
  }
  return nullptr;
}

PopupMenus make_popup_menus(QWidget* owner) {
  PopupMenus menus;
  menus.normal =
      make_menu(owner, QStringLiteral("普通右击"),
                {QStringLiteral("分享好友"), QStringLiteral("复制链接"), QStringLiteral("打开链接"),
                 QStringLiteral("导出excle数据"), QStringLiteral("导出TXT文本")});
  menus.torrent = make_menu(owner, QStringLiteral("torrent右击"), {QStringLiteral("打开种子")});
  menus.tray = make_menu(owner, QStringLiteral("缩小菜单"),
                         {QStringLiteral("显示面板"), QStringLiteral("退出软件")});
  return menus;
}

}  // namespace trovix
