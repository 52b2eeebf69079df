// Edit ▸ undo and redo: switch the active editor window between the whole text
// from before its latest change and the whole text from after it. Both leave
// the window in browse mode with the caret where the snapshot recorded it.

#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"
#include "platform/RichTextBox.h"

namespace {

// Browse mode, and which of the two restores is offered next.
void EndEditing(Form1& form, int16_t redoUndoFlag) {
  form.EditFlag = 0;
  form.EditDoneFlag = 0;
  form.RichTextBox1->SetDragMode(0);
  form.RedoUndoFlag = redoUndoFlag;
}

}  // namespace

void MDIForm1::mnuUndo_Click() {
  Form1& form = *ActiveForm();
  RichTextBox& box = *form.RichTextBox1;
  DrawingLockGuard lock(this);
  box.SetText(form.UndoText);
  // The before-text may still carry the red of a line that was being edited.
  box.SetSelStart(0);
  box.SetSelLength(box.Length());
  box.SetSelColor(TextColors::kNormal);
  box.SetSelStart(form.UndoStartPos);
  EndEditing(form, 1);
}

void MDIForm1::mnuRedo_Click() {
  Form1& form = *ActiveForm();
  RichTextBox& box = *form.RichTextBox1;
  DrawingLockGuard lock(this);
  // The state being left is what the next undo returns to, caret included.
  form.RecordBefore();
  box.SetText(form.RedoText);
  box.SetSelStart(form.RedoStartPos);
  EndEditing(form, 0);
}
