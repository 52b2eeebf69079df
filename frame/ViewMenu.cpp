// View ▸ soft keyboard and angle calculator: show or hide the soft keyboard
// and tile the editor windows into the client area it leaves.

#include <QLayout>

#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"

namespace {

void ShowSoftKeyboard(MDIForm1& frame, bool visible) {
  frame.Toolbar1->setVisible(visible);
  // Lay the client area out now rather than at the next event-loop turn, so
  // that the tiling below sees the editor area's new size.
  if (QWidget* client = frame.centralWidget(); client && client->layout()) {
    client->layout()->activate();
  }
  DrawingLockGuard lock(&frame);
  frame.WinOrgNoCngWinOrder();
}

const MenuItemRow kItems[] = {
    {"mnuBarSoftKeybord", u"ソフトキーボード(&S)", &MDIForm1::mnuBarSoftKeybord_Click,
     nullptr},
    {"mnuBarRadian", u"角度計算(&K)", &MDIForm1::mnuBarRadian_Click, nullptr},
};

}  // namespace

std::span<const MenuItemRow> ViewMenuItems() { return kItems; }

void MDIForm1::mnuBarSoftKeybord_Click() { ShowSoftKeyboard(*this, true); }

void MDIForm1::mnuBarRadian_Click() { ShowSoftKeyboard(*this, false); }
