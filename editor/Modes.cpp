// The mode machine: the one place a mode is entered, and the procedures that
// enter and leave line-edit and confirmation mode. The key handlers call these
// after they have changed the text; each works through the control's
// selection, so the colours and the caret end up exactly where the user sees
// them.

#include "control/RichTextBox.h"
#include "editor/EditorMode.h"
#include "editor/Form1.h"
#include "platform/DrawingLock.h"
#include "text/ProgramText.h"

namespace {

// The line that holds `offset` (or the one `linesBelow` further down), as the
// line lookup finds it in the control's text.
LineInfo LineAt(const RichTextBox& box, int32_t offset, int32_t linesBelow = 0) {
  return box.Line(box.GetLineFromChar(offset) + 1 + linesBelow);
}

// Selects the whole of a found line, its line break included.
void SelectLine(RichTextBox& box, const LineInfo& info) {
  box.SetSelStart(info.StartPos - 1);
  box.SetSelLength(info.EndPos - info.StartPos + 1);
}

// Colours the line red and leaves the caret where it was.
void MarkEditedLine(RichTextBox& box, const LineInfo& info) {
  const int32_t caret = box.SelStart();
  SelectLine(box, info);
  box.SetSelColor(ModeColor(EditorMode::kLineEdit));
  box.SetSelLength(0);
  box.SetSelStart(caret);
}

// The statement is finished when its last character, ignoring line breaks
// and blanks, is the statement end.
bool LacksStatementEnd(const QString& lineText) {
  QString probe = lineText;
  probe.remove(QStringLiteral("\r\n"));
  probe.remove(u' ');
  return !probe.isEmpty() && !probe.endsWith(u';');
}

}  // namespace

bool Form1::BrowsingWithoutSelection() const {
  return NoLineEditPending() && RichTextBox1->SelLength() == 0;
}

void Form1::EnterMode(EditorMode mode) {
  mode_ = mode;
  editFlag_ = mode == EditorMode::kLineEdit ? 1 : 0;
  editDoneFlag_ = mode == EditorMode::kConfirmation ? 1 : 0;
  // The mouse is shut out while a line is edited.
  RichTextBox1->SetDragMode(mode == EditorMode::kLineEdit ? 1 : 0);
  RichTextBox1->setAccessibleDescription(modeText());  // read out by screen readers
  modeDue_ = true;
  if (stepDepth_ == 0) Announce();
}

void Form1::LeaveLineEditing() {
  // Undo and redo are offered in browse mode only, so this acts only when
  // they are called directly in the middle of an edit.
  if (mode_ == EditorMode::kLineEdit || mode_ == EditorMode::kConfirmation)
    EnterMode(EditorMode::kBrowse);
}

void Form1::TakeUndoSnapshot() {
  if (EditFlag != 0) return;  // the snapshot of the edit's first key stays
  RecordBefore();
}

void Form1::TypeCharacter(QChar character) {
  DrawingLockGuard lock(LockTarget());
  TakeUndoSnapshot();
  RichTextBox1->SetSelText(QString(character));
  StartLineEdit();
}

void Form1::StartLineEdit() {
  RichTextBox& box = *RichTextBox1;
  box.SetSelLength(0);
  MarkEditedLine(box, LineAt(box, box.SelStart()));
  EnterMode(EditorMode::kLineEdit);
}

void Form1::StartLineEditAfterDelete() {
  RichTextBox& box = *RichTextBox1;
  const LineInfo info = LineAt(box, box.SelStart());
  if (info.Status == 0) MarkEditedLine(box, info);
  EnterMode(EditorMode::kLineEdit);
}

void Form1::CommitEditLine() {
  RichTextBox& box = *RichTextBox1;
  LineInfo info = LineAt(box, box.SelStart());

  if (info.Status == 3) {
    // The caret is on the empty line behind the final line break: nothing to
    // bring into form, back to browsing.
    box.SetSelLength(0);
    box.SetSelColor(ModeColor(EditorMode::kBrowse));
    EnterMode(EditorMode::kBrowse);
    return;
  }
  if (info.Status != 0) return;

  // A statement without its end goes on in the next line: both are brought
  // into form together.
  if (LacksStatementEnd(info.Text)) {
    const LineInfo next = LineAt(box, box.SelStart(), 1);
    if (next.Status == 0) {
      info.EndPos = next.EndPos;
      info.Text += next.Text;
    }
  }

  DrawingLockGuard lock(LockTarget());
  SelectLine(box, info);
  const QString canonical = NormalizeProgramText(info.Text);
  // One change: the old text goes, its canonical form comes in blue.
  box.SetSelText(canonical, ModeColor(EditorMode::kConfirmation));
  const int32_t length = static_cast<int32_t>(canonical.size());
  box.SetSelStart(info.StartPos - 1 + length);
  box.SetSelLength(0);

  // Nothing left (a blank or emptied line went with its break): browse.
  if (!canonical.isEmpty()) {
    ConfirmStartPos = info.StartPos - 1;
    ConfirmLength = length;
  }
  box.SetSelColor(ModeColor(EditorMode::kBrowse));  // the typing colour at the caret
  EnterMode(canonical.isEmpty() ? EditorMode::kBrowse : EditorMode::kConfirmation);
}

void Form1::EndConfirmMode() {
  RichTextBox& box = *RichTextBox1;
  DrawingLockGuard lock(LockTarget());
  box.SetSelStart(ConfirmStartPos);
  box.SetSelLength(ConfirmLength);
  box.SetSelColor(ModeColor(EditorMode::kBrowse));
  box.SetSelLength(0);
  const int32_t behind = ConfirmStartPos + ConfirmLength;
  box.SetSelStart(behind);

  // The confirmed text is what redo brings back.
  RecordAfter(behind);
  EnterMode(EditorMode::kBrowse);
}
