#include "app/pictray/popup_menu.h"

#include <QAction>
#include <QMenu>

namespace pictray::app {

QMenu* MakePopupMenu(QWidget* parent, const char* name, std::initializer_list<PopupEntry> entries,
                     const std::function<void(int id)>& chosen) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(name);
  for (const PopupEntry& e : entries) {
    QAction* action = menu->addAction(e.icon, e.caption);
    action->setData(e.id);
    QObject::connect(action, &QAction::triggered, parent, [chosen, id = e.id] { chosen(id); });
    menu->addSeparator();
  }
  return menu;
}

}  // namespace pictray::app
