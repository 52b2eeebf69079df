// Mouse and caret-line handlers of the editor window. A mouse drag selects
// whole lines (range selection); a press ends a range selection; in
// confirmation mode the mouse cannot leave a selection behind. What changed
// is told to the frame once per user step.

#include "control/RichTextBox.h"
#include "editor/EditorMode.h"
#include "editor/Form1.h"
#include "platform/DrawingLock.h"
#include "text/ProgramText.h"

void Form1::RichTextBox1_SelChange() {
  caretDue_ = true;
  if (stepDepth_ == 0) Announce();
}

void Form1::Announce() {
  const bool mode = modeDue_;
  const bool caret = caretDue_;
  modeDue_ = caretDue_ = false;
  if (mode) emit ModeTextShown(modeText());
  if (!mode && !caret) return;
  const RichTextBox& box = *RichTextBox1;
  emit CaretLineShown(LineText(box.GetLineFromChar(box.SelStart()) + 1));
}

void Form1::RichTextBox1_MouseDown(int16_t, int16_t, float, float) {
  const Step step(*this);
  RichTextBox& box = *RichTextBox1;
  if (box.SelLength() == 0) return;
  // The press ends the range selection; the control then places the caret.
  // In confirmation mode (a second button pressed during a drag) the window
  // stays in confirmation: only a key ends it.
  box.SetSelLength(0);
  if (mode() != EditorMode::kConfirmation) EnterMode(EditorMode::kBrowse);
}

void Form1::RichTextBox1_MouseUp(int16_t, int16_t, float, float) {
  const Step step(*this);
  RichTextBox& box = *RichTextBox1;
  if (EditDoneFlag == 1) {
    DrawingLockGuard lock(LockTarget());
    box.SetSelLength(0);
    box.SetSelStart(ConfirmStartPos + ConfirmLength);
    return;
  }
  if (box.SelLength() == 0) return;

  // Widen the dragged selection to whole lines: from the start of its first
  // line to the end of the line holding the first position after it.
  DrawingLockGuard lock(LockTarget());
  const LineInfo first = box.Line(box.GetLineFromChar(box.SelStart()) + 1);
  const int32_t start = first.StartPos - 1;
  const LineInfo last = box.Line(box.GetLineFromChar(box.SelStart() + box.SelLength()) + 1);
  box.SetSelStart(start);
  box.SetSelLength(last.EndPos - start);
  EnterMode(EditorMode::kRangeSelection);
}
