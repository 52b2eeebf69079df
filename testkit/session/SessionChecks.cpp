#include "testkit/session/SessionChecks.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"
#include "testkit/FrameChecks.h"

namespace editor_session {

std::string BrokenFrameRule(MDIForm1& frame) {
  if (IsDrawingLocked()) return "drawing left locked";
  // Between events no file command runs: the controls are on and every menu
  // item stands as its menu would offer it, also right after a file command.
  if (!ControlsOutOfStep(frame).isEmpty()) return "a control or menu item not as its menu offers it";
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
    // A line edit stays on its line: red text only there, and only while it
    // is open; no selection meanwhile.
    const int32_t caretLine = form->RichTextBox1->GetLineFromChar(start);
    for (const ColorSpan& span : form->RichTextBox1->model().colorSpans(0, length)) {
      if (span.color != TextColors::kEditedLine) continue;
      if (form->EditFlag != 1) return "red text outside a line edit";
      if (form->RichTextBox1->GetLineFromChar(span.start) != caretLine ||
          form->RichTextBox1->GetLineFromChar(span.end - 1) != caretLine)
        return "red text off the caret's line during a line edit";
    }
    if (form->EditFlag == 1 && form->RichTextBox1->SelLength() != 0)
      return "a selection during a line edit";
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
  const TextStore redoText = form ? form->RedoText : TextStore();
  const int32_t redoStartPos = form ? form->RedoStartPos : 0;
  command->trigger();
  if (command == frame.MenuItem("mnuUndo") && form) {
    if (form->RichTextBox1->Snapshot() != form->UndoText) undoMismatch_ = true;
    undoJustDone_ = true;
    undoForm_ = form;
  }
  if (command == frame.MenuItem("mnuRedo") && undoDone_ && form && form == undoForm_) {
    if (form->RichTextBox1->Snapshot() != redoText) redoMismatch_ = true;
    if (form->RichTextBox1->SelStart() != redoStartPos) redoMismatch_ = true;
  }
}

std::string UndoRedoCheck::Broken() const {
  if (undoMismatch_) return "undo did not restore the undo snapshot";
  if (redoMismatch_) return "redo after undo did not give back the after-text and its caret";
  return std::string();
}

}  // namespace editor_session
