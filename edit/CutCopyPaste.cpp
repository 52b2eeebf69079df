// Edit ▸ cut, copy and paste. Whole lines travel through the frame's own
// buffer PasteText, shared by all editor windows; the system clipboard is not
// used. Cut and paste are changes: each records both undo snapshots.

#include "edit/PasteOffset.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"
#include "platform/RichTextBox.h"
#include "text/ProgramText.h"

int32_t PasteInsertionOffset(const LineInfo& line, int32_t textLength) {
  switch (line.Status) {
    case 0:
      return line.StartPos - 1;
    case 2:
      return 0;
    case 3:
      return line.StartPos;
    default:
      // The control's line numbering disagrees with the text's line feeds:
      // there is no line to go in front of, so append rather than guess.
      return textLength;
  }
}

namespace {

int32_t InsertionOffset(const RichTextBox& box) {
  const LineInfo line = box.Line(box.GetLineFromChar(box.SelStart()) + 1);
  return PasteInsertionOffset(line, box.Length());
}

}  // namespace

void MDIForm1::mnuCopy_Click() { PasteText = ActiveForm()->RichTextBox1->SelText(); }

void MDIForm1::mnuCut_Click() {
  Form1& form = *ActiveForm();
  RichTextBox& box = *form.RichTextBox1;
  DrawingLockGuard lock(this);
  PasteText = box.SelText();
  form.RecordBefore();
  box.SetSelText(QString());  // the caret stays where the lines began
  form.RecordAfter(box.SelStart());
}

void MDIForm1::mnuPaste_Click() {
  Form1& form = *ActiveForm();
  RichTextBox& box = *form.RichTextBox1;
  form.RecordBefore();
  box.SetSelStart(InsertionOffset(box));
  const int32_t at = box.SelStart();
  box.SetSelText(PasteText);
  // The pasted lines stand selected; redo returns to the insertion offset.
  box.SetSelStart(at);
  box.SetSelLength(static_cast<int32_t>(PasteText.size()));
  form.RecordAfter(box.SelStart());
}
