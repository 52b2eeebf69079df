// The undo and redo records of an editor window. Each holds the whole text,
// shared with the control rather than copied, and the caret that goes with it.

#include "editor/Form1.h"
#include "platform/RichTextBox.h"

void Form1::RecordBefore() {
  UndoText = RichTextBox1->Snapshot();
  UndoStartPos = RichTextBox1->SelStart();
}

void Form1::RecordAfter(int32_t caret) {
  RedoText = RichTextBox1->Snapshot();
  RedoStartPos = caret;
  RedoUndoFlag = 0;
  EditingStartedFlag = 1;
}
