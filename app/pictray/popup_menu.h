// The popup menus of the two panes: entries by command id, each followed by
// a separator, the chosen one handed back by its id.
#pragma once

#include <QIcon>
#include <QString>

#include <functional>
#include <initializer_list>

class QMenu;
class QWidget;

namespace pictray::app {

struct PopupEntry {
  int id;
  QString caption;
  QIcon icon;
};

// A menu named `name` (owned by the caller) over `parent`.
QMenu* MakePopupMenu(QWidget* parent, const char* name, std::initializer_list<PopupEntry> entries,
                     const std::function<void(int id)>& chosen);

}  // namespace pictray::app
