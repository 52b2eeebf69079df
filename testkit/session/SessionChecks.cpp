#include "testkit/session/SessionChecks.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"
#include "platform/RichTextBox.h"

namespace editor_session {

namespace {

std::string BrokenAfterFileCommand(MDIForm1& frame) {
  for (QAction* top : frame.menuBar()->actions()) {
    if (!top->isEnabled()) return "a top-level menu left disabled after a file command";
    for (QAction* item : top->menu()->actions())
      if (!item->isEnabled()) return "a menu item left disabled after a file command";
  }
  for (QWidget* bar : {frame.Toolbar1, frame.Toolbar2}) {
    for (QWidget* child : bar->findChildren<QWidget*>())
      if (!child->isEnabled()) return "a tool-bar control left disabled after a file command";
  }
  return std::string();
}

}  // namespace

std::string BrokenFrameRule(MDIForm1& frame, bool afterFileCommand) {
  if (IsDrawingLocked()) return "drawing left locked";
  if (afterFileCommand) {
    std::string broken = BrokenAfterFileCommand(frame);
    if (!broken.empty()) return broken;
  }
  const QList<QMdiSubWindow*> windows = frame.mdiArea()->subWindowList();
  if (frame.FormNumber != windows.size())
    return "FormNumber differs from the number of open editor windows";
  if (frame.Forms().size() != windows.size())
    return "the frame's window list differs from the open editor windows";
  if (frame.CancelReReMove != 0 || frame.RightMoveFlag != 0) return "an arrangement flag left set";
  for (QMdiSubWindow* window : windows) {
    auto* form = qobject_cast<Form1*>(window);
    if (!form) return "a child window that is no editor window";
    if (form->EditFlag == 1 && form->EditDoneFlag == 1) return "EditFlag and EditDoneFlag both 1";
    const QString& text = form->RichTextBox1->Text();
    const int32_t length = int32_t(text.size());
    if (form->RichTextBox1->GetLineFromChar(length) != int32_t(text.count(u'\n')))
      return "GetLineFromChar(length) differs from the number of line feeds";
    const int32_t start = form->RichTextBox1->SelStart();
    if (start < 0 || start + form->RichTextBox1->SelLength() > length)
      return "selection outside the text";
  }
  return std::string();
}

void UndoRedoCheck::StartStep() {
  undoDone_ = undoJustDone_;
  undoJustDone_ = false;
}

void UndoRedoCheck::NoStep() { undoJustDone_ = undoDone_; }

void UndoRedoCheck::Run(MDIForm1& frame, QAction* command) {
  Form1* form = frame.ActiveForm();
  const QString redoText = form ? form->RedoText : QString();
  const int32_t redoStartPos = form ? form->RedoStartPos : 0;
  command->trigger();
  if (command == frame.mnuUndo && form) {
    if (form->RichTextBox1->Text() != form->UndoText) undoMismatch_ = true;
    undoJustDone_ = true;
    undoForm_ = form;
  }
  if (command == frame.mnuRedo && undoDone_ && form && form == undoForm_) {
    if (form->RichTextBox1->Text() != redoText) redoMismatch_ = true;
    if (form->RichTextBox1->SelStart() != redoStartPos) redoMismatch_ = true;
  }
}

std::string UndoRedoCheck::Broken() const {
  if (undoMismatch_) return "undo did not restore the undo snapshot";
  if (redoMismatch_) return "redo after undo did not give back the after-text and its caret";
  return std::string();
}

}  // namespace editor_session
