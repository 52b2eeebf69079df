#include <QMdiArea>
#include <QMdiSubWindow>
#include <cmath>
#include <utility>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"

namespace {

// Tiles `windows` (top-most first) over `area`: up to three stand side by side
// in full-height columns; more fill floor(sqrt(n)) columns, the later columns
// taking one extra row each when the count does not divide evenly. Windows go
// column by column, top to bottom, so the top-most takes the top-left place.
void TileVertically(const QList<QMdiSubWindow*>& windows, const QRect& area) {
  const int n = static_cast<int>(windows.size());
  if (n == 0) return;
  const int columns = n <= 3 ? n : static_cast<int>(std::floor(std::sqrt(static_cast<double>(n))));
  const int baseRows = n / columns;
  const int extra = n % columns;  // the last `extra` columns get baseRows + 1
  const int columnWidth = area.width() / columns;

  int next = 0;
  for (int c = 0; c < columns; ++c) {
    const int rows = baseRows + (c >= columns - extra ? 1 : 0);
    const int left = area.left() + c * columnWidth;
    const int width = c == columns - 1 ? area.right() + 1 - left : columnWidth;
    const int rowHeight = area.height() / rows;
    for (int r = 0; r < rows; ++r) {
      const int top = area.top() + r * rowHeight;
      const int height = r == rows - 1 ? area.bottom() + 1 - top : rowHeight;
      QMdiSubWindow* window = windows[next++];
      if (window->isMaximized()) window->showNormal();
      window->setGeometry(left, top, width, height);
    }
  }
}

}  // namespace

void MDIForm1::HoldArrangement() { ++arrangementHeld_; }

void MDIForm1::ReleaseArrangement() {
  if (arrangementHeld_ == 0 || --arrangementHeld_ > 0) return;
  if (std::exchange(arrangementWanted_, false)) WinOrgNoCngWinOrder();
}

void MDIForm1::WinOrgNoCngWinOrder() {
  if (arrangementHeld_ > 0) {
    arrangementWanted_ = true;
    return;
  }
  if (FormNumber < 1) return;
  ++arrangements_;
  CancelReReMove = 1;

  if (Form1* active = ActiveForm()) active->MarkFocusedBeforeArrangement(true);

  // Activating the windows oldest first leaves the newest on top: the
  // stacking order becomes the creation order.
  for (Form1* form : Forms()) {
    if (form->MeExiting == 0) form->SetFocus();
  }

  // Tile the visible, non-minimised windows, top-most first.
  QList<QMdiSubWindow*> stack;
  const QList<QMdiSubWindow*> bottomFirst = mdiArea_->subWindowList(QMdiArea::StackingOrder);
  for (auto it = bottomFirst.crbegin(); it != bottomFirst.crend(); ++it) {
    if ((*it)->isVisible() && !(*it)->isMinimized()) stack.append(*it);
  }
  TileVertically(stack, mdiArea_->viewport()->rect());

  // Give the focus back to the window that had it.
  for (Form1* form : Forms()) {
    if (form->ExFocused == 1 && form->MeExiting == 0) {
      form->SetFocus();
      form->MarkFocusedBeforeArrangement(false);
    }
  }

  CancelReReMove = 0;
  RefreshMenus();  // move-left is offered by the window's place
}

namespace {

// Move-left is offered for the active window when nothing is pending in it
// and it does not hold the leftmost place already.
bool CanMoveLeft(const MDIForm1& frame) {
  const Form1* active = BrowsingForm(frame);
  return active && !(active->Left() == 0 && active->Top() == 0);
}

const MenuItemRow kItems[] = {
    {"mnuLeft", u"左へ移動(&L)", &MDIForm1::mnuLeft_Click, CanMoveLeft},
};

}  // namespace

std::span<const MenuItemRow> WindowMenuItems() { return kItems; }

void MDIForm1::mnuWindow_Click() { OfferItems(WindowMenuItems()); }

void MDIForm1::FormUnloading(Form1* form) {
  // While move-left replaces the window, the visibility and the arrangement
  // are left to it.
  if (RightMoveFlag != 0) return;
  DrawingLockGuard lock(this);
  form->SetVisible(false);
  form->MarkExiting();
  WinOrgNoCngWinOrder();
}

void MDIForm1::mnuLeft_Click() {
  if (FormNumber <= 1) return;
  Form1* old = ActiveForm();
  if (!old) return;

  const EditHistory history = old->history();

  DrawingLockGuard lock(this);
  RightMoveFlag = 1;

  const QString caption = old->Caption();
  const TextStore text = old->RichTextBox1->Snapshot();

  old->Form_Unload();

  Form1* form = CreateForm();
  form->LoadProgram(caption, text);
  form->SetVisible(true);

  form->CopyHistoryFrom(history);

  WinOrgNoCngWinOrder();
  RightMoveFlag = 0;
}
