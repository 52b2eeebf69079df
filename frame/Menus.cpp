// The menu bar, built from the menu tables: one action per row, named after
// its item, with its caption (mnemonics from "&"), its start state (on for an
// item without a rule, off for one with a rule) and its handler; no shortcut
// keys. A top-level menu's click handler runs as it opens, before it drops
// down, so that it can set its items' enabled state.
// Between openings the items are kept as their rules say, so that what an
// assistive tool sees and presses is what the menu would offer.

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "frame/MDIForm1.h"

namespace {

const MenuRow kMenuBar[] = {
    {"mnuFile", u"ﾌｧｲﾙ(&F)", &MDIForm1::mnuFile_Click, FileMenuItems()},
    {"mnuEdit", u"編集(&E)", &MDIForm1::mnuEdit_Click, EditMenuItems()},
    {"mnuState", u"表示(&V)", nullptr, ViewMenuItems()},
    {"mnuWindow", u"ｳｨﾝﾄﾞｳ(&W)", &MDIForm1::mnuWindow_Click, WindowMenuItems()},
};

}  // namespace

std::span<const MenuRow> MenuBar() { return kMenuBar; }

void MDIForm1::CreateMenus() {
  QMenuBar* bar = menuBar();
  for (const MenuRow& row : MenuBar()) {
    QMenu* menu = bar->addMenu(QString::fromUtf16(row.caption));
    menu->setObjectName(QLatin1String(row.name));
    menu->menuAction()->setObjectName(QLatin1String(row.name));
    menuItems_.insert(QLatin1String(row.name), menu->menuAction());
    if (row.click) connect(menu, &QMenu::aboutToShow, this, row.click);
    for (const MenuItemRow& item : row.items) {
      QAction* action =
          item.caption ? menu->addAction(QString::fromUtf16(item.caption)) : menu->addSeparator();
      action->setObjectName(QLatin1String(item.name));
      action->setEnabled(item.offered == nullptr);
      menuItems_.insert(QLatin1String(item.name), action);
      if (item.handler) {
        connect(action, &QAction::triggered, this, [this, row = &item] { RunCommand(*row); });
      }
    }
  }
}

void MDIForm1::OfferItems(std::span<const MenuItemRow> items) {
  for (const MenuItemRow& item : items) {
    if (item.offered) MenuItem(item.name)->setEnabled(item.offered(*this));
  }
}

void MDIForm1::RunCommand(const MenuItemRow& item) {
  // An item can be reached without its menu being opened (an assistive tool
  // presses it, or it was left enabled by the end of a file command): a
  // command acts only where its menu would offer it.
  if (item.offered && !item.offered(*this)) return;
  (this->*item.handler)();
  RefreshMenus();
}

void MDIForm1::RefreshMenus() {
  // While a file command runs, every control stays off.
  if (controlsDisabled_) return;
  for (const MenuRow& menu : MenuBar()) OfferItems(menu.items);
}
