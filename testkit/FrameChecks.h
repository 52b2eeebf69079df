#pragma once
// What must hold of the frame's controls once no file command runs: the
// tool-bar keys and fields and the top-level menus are on, and every menu item
// stands as its menu's rule would offer it now.

#include <QAction>
#include <QMenuBar>
#include <QWidget>

#include "frame/MDIForm1.h"
#include "frame/MenuTable.h"

// "" when all is well, else what is wrong.
inline QString ControlsOutOfStep(const MDIForm1& frame) {
  for (const MenuRow& menu : MenuBar()) {
    if (!frame.Menu(menu.name)->menuAction()->isEnabled()) return QLatin1String(menu.name);
    for (const MenuItemRow& item : menu.items) {
      const bool offered = !item.offered || item.offered(frame);
      if (frame.MenuItem(item.name)->isEnabled() != offered) return QLatin1String(item.name);
    }
  }
  for (const QWidget* bar : {frame.Toolbar1, frame.Toolbar2}) {
    for (const QWidget* control : bar->findChildren<QWidget*>()) {
      if (!control->isEnabled()) return control->objectName();
    }
  }
  return QString();
}
