// The editor's key handler: what each key does in each mode. Any key ends
// confirmation; letters, Backspace, Delete and Enter start a line edit; the
// navigation keys end one; nothing navigates or edits while a range is
// selected; input-method keys are refused with a message. Each key group has
// its function, which returns whether it took the key; a key taken is
// cancelled, so that the control does not act on it.

#include "control/RichTextBox.h"
#include "control/VirtualKeys.h"
#include "editor/EditorMode.h"
#include "editor/Form1.h"
#include "platform/DrawingLock.h"
#include "platform/Services.h"
#include "text/ProgramText.h"

namespace {

namespace Key = VirtualKey;

const QString kImeRefused =
    QStringLiteral("日本語の入力は出来ません。\r\n\r\n日本語入力モードの場合、[Alt]+[半角/全角]を押してください。");

// Whether the control's own move for `code` would leave a selection or take
// the caret off the line being edited: Shift with a caret key, Ctrl with Home
// or End, Right over a bare line feed. A line edit ends only through the
// commit keys, so these are refused while a line is edited.
bool LeavesEditedLine(const RichTextBox& box, int16_t code, int16_t shift) {
  const bool extend = shift & ShiftMask::kShift;
  const bool control = shift & ShiftMask::kCtrl;
  switch (code) {
    case Key::kHome:
    case Key::kEnd:
      return extend || control;
    case Key::kLeft:
      return extend;
    case Key::kRight:
      return extend || box.CharAt(box.SelStart()) == u'\n';
    default:
      return false;
  }
}

}  // namespace

void Form1::RichTextBox1_KeyDown(int16_t& KeyCode, int16_t Shift) {
  const Step step(*this);
  // Any key ends confirmation and does nothing else, Shift or Ctrl alone too.
  if (EditDoneFlag == 1) {
    EndConfirmMode();
    KeyCode = 0;
    return;
  }
  if (KeyDownHandled(KeyCode, Shift)) KeyCode = 0;  // the control does not act on it
}

bool Form1::KeyDownHandled(int16_t code, int16_t shift) {
  switch (code) {
    case Key::kBack:
      return BackspaceKey();
    case Key::kDelete:
      return DeleteKey();
    case Key::kReturn:
      return EnterKey();
    case Key::kPrior:
    case Key::kNext:
    case Key::kUp:
    case Key::kDown:
      return CommitKey();
    case Key::kProcessKey:
      return InputMethodKey();
    case Key::kLeft:
      if (LeftKey()) return true;
      break;
    case Key::kRight:
      if (RightKey()) return true;
      break;
    default:
      break;
  }
  if (EditFlag == 1 && LeavesEditedLine(*RichTextBox1, code, shift)) return true;
  return LetterKey(code);
}

bool Form1::BackspaceKey() {
  RichTextBox& box = *RichTextBox1;
  if (box.SelStart() == 0 || box.SelLength() != 0) return true;
  DrawingLockGuard lock(LockTarget());
  TakeUndoSnapshot();
  // A CR LF line break goes as one, joining the line with the one above.
  const int32_t caret = box.SelStart();
  const int32_t from = StepLeft(box.Snapshot(), caret);
  box.SetSelStart(from);
  box.SetSelLength(caret - from);
  box.SetSelText(QString());
  StartLineEditAfterDelete();
  return true;
}

bool Form1::DeleteKey() {
  RichTextBox& box = *RichTextBox1;
  if (box.SelStart() >= box.Length() || box.SelLength() != 0) return true;
  DrawingLockGuard lock(LockTarget());
  TakeUndoSnapshot();
  // A CR LF line break goes as one, joining the next line to this one.
  box.SetSelLength(StepRight(box.Snapshot(), box.SelStart()) - box.SelStart());
  box.SetSelText(QString());
  StartLineEditAfterDelete();
  return true;
}

bool Form1::EnterKey() {
  if (RichTextBox1->SelLength() != 0) return true;
  if (EditFlag == 1) {
    CommitEditLine();
    return true;
  }
  return OpenLineAboveCaret();
}

bool Form1::OpenLineAboveCaret() {
  RichTextBox& box = *RichTextBox1;
  const int32_t caret = box.SelStart();
  const QChar before = box.CharAt(caret - 1);
  const bool openLine = caret != box.Length() || (caret != 0 && before != u'\n');
  if (!openLine) return false;  // empty text, or behind the final line break
  DrawingLockGuard lock(LockTarget());
  TakeUndoSnapshot();
  const LineInfo info = box.Line(box.GetLineFromChar(caret) + 1);
  box.SetSelStart(info.StartPos - 1);
  box.SetSelText(QStringLiteral("\r\n"));
  box.SetSelStart(box.SelStart() - 2);
  box.SetSelColor(ModeColor(EditorMode::kLineEdit));  // what is typed next is red
  EnterMode(EditorMode::kLineEdit);
  return true;
}

bool Form1::CommitKey() {
  if (RichTextBox1->SelLength() != 0) return true;
  if (EditFlag != 1) return false;  // the control moves the caret
  CommitEditLine();  // the caret does not move
  return true;
}

bool Form1::LeftKey() {
  RichTextBox& box = *RichTextBox1;
  if (box.SelLength() != 0) return true;
  // At the start of any line but the first, Left ends the line edit.
  const int32_t caret = box.SelStart();
  const QChar before = box.GetLineFromChar(caret) != 0 ? box.CharAt(caret - 1) : QChar();
  if (before != u'\n' || EditFlag != 1) return false;
  CommitEditLine();
  return true;
}

bool Form1::RightKey() {
  RichTextBox& box = *RichTextBox1;
  if (box.SelLength() != 0) return true;
  // At the end of a line that has a line break, Right ends the line edit.
  if (box.CharAt(box.SelStart()) != u'\r' || EditFlag != 1) return false;
  CommitEditLine();
  return true;
}

bool Form1::InputMethodKey() {
  MsgBox(services_, kImeRefused, MsgBoxStyle::kExclamation, MsgBoxTitle::kCaution);
  SetFocus();
  return true;
}

bool Form1::LetterKey(int16_t code) {
  // Letters are typed in upper case whatever Shift, Ctrl or Caps Lock say.
  if (RichTextBox1->SelLength() != 0 || code < Key::kA || code > Key::kZ) return false;
  TypeCharacter(QChar(code));
  return true;
}
