// The window's edit commands: undo and redo switch between the whole text
// from before its latest change and the whole text from after it; cut and
// paste are changes, each recording both sides; copy only reads. Whole lines
// travel through the frame's buffer, which the frame hands in and takes out.

#include "control/RichTextBox.h"
#include "edit/PasteOffset.h"
#include "editor/EditorMode.h"
#include "editor/Form1.h"
#include "platform/DrawingLock.h"
#include "text/ProgramText.h"

void Form1::LoadProgram(const QString& caption, const TextStore& text) {
  SetCaption(caption);
  RichTextBox1->SetText(text);
  RecordBefore();
}

void Form1::RecordBefore() {
  history_.RecordBefore(RichTextBox1->Snapshot(), RichTextBox1->SelStart());
}

void Form1::RecordAfter(int32_t caret) { history_.RecordAfter(RichTextBox1->Snapshot(), caret); }

void Form1::Undo() {
  const Step step(*this);
  RichTextBox& box = *RichTextBox1;
  DrawingLockGuard lock(LockTarget());
  const TextAndCaret before = history_.Undo();
  box.SetText(before.text);
  // The before-text may still carry the red of a line that was being edited.
  box.SetSelStart(0);
  box.SetSelLength(box.Length());
  box.SetSelColor(ModeColor(EditorMode::kBrowse));
  box.SetSelStart(before.caret);
  LeaveLineEditing();
}

void Form1::Redo() {
  const Step step(*this);
  RichTextBox& box = *RichTextBox1;
  DrawingLockGuard lock(LockTarget());
  // The state being left is what the next undo returns to, caret included.
  const TextAndCaret after = history_.Redo(box.Snapshot(), box.SelStart());
  box.SetText(after.text);
  box.SetSelStart(after.caret);
  LeaveLineEditing();
}

QString Form1::Copy() const { return RichTextBox1->SelText(); }

QString Form1::Cut() {
  const Step step(*this);
  RichTextBox& box = *RichTextBox1;
  DrawingLockGuard lock(LockTarget());
  const QString lines = box.SelText();
  RecordBefore();
  box.SetSelText(QString());  // the caret stays where the lines began
  RecordAfter(box.SelStart());
  return lines;
}

void Form1::Paste(const QString& lines) {
  const Step step(*this);
  RichTextBox& box = *RichTextBox1;
  RecordBefore();
  box.SetSelStart(PasteInsertionOffset(box.Line(box.GetLineFromChar(box.SelStart()) + 1),
                                       box.Length()));
  const int32_t at = box.SelStart();
  box.SetSelText(lines);
  // The pasted lines stand selected; redo returns to the insertion offset.
  box.SetSelStart(at);
  box.SetSelLength(static_cast<int32_t>(lines.size()));
  RecordAfter(box.SelStart());
}
