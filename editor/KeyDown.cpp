// The editor's key handler: what each key does in each mode. Any key ends
// confirmation; letters, Backspace, Delete and Enter start a line edit; the
// navigation keys end one; nothing navigates or edits while a range is
// selected; input-method keys are refused with a message.

#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "platform/DrawingLock.h"
#include "platform/RichTextBox.h"
#include "platform/Services.h"
#include "platform/VirtualKeys.h"
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
  RichTextBox& box = *RichTextBox1;

  if (EditDoneFlag == 1) {
    EndConfirmMode();
    KeyCode = 0;
    return;
  }

  const bool selected = box.SelLength() != 0;
  switch (KeyCode) {
    case Key::kBack: {
      KeyCode = 0;
      if (box.SelStart() == 0 || selected) break;
      DrawingLockGuard lock(LockTarget());
      TakeUndoSnapshot();
      // A CR LF line break goes as one, joining the line with the one above.
      const int32_t caret = box.SelStart();
      const int32_t from = StepLeft(box.Snapshot(), caret);
      box.SetSelStart(from);
      box.SetSelLength(caret - from);
      box.SetSelText(QString());
      StartLineEditAfterDelete();
      ShowLineEditMode();
      break;
    }
    case Key::kReturn: {
      if (selected) {
        KeyCode = 0;
      } else if (EditFlag == 1) {
        CommitEditLine();
        KeyCode = 0;
      } else {
        const int32_t caret = box.SelStart();
        const QChar before = box.CharAt(caret - 1);
        const bool openLine = caret != box.Length() || (caret != 0 && before != u'\n');
        if (!openLine) break;  // empty text, or behind the final line break
        // Open an empty line above the caret's line and edit it.
        DrawingLockGuard lock(LockTarget());
        TakeUndoSnapshot();
        const LineInfo info = box.Line(box.GetLineFromChar(caret) + 1);
        box.SetSelStart(info.StartPos - 1);
        box.SetSelText(QStringLiteral("\r\n"));
        box.SetSelStart(box.SelStart() - 2);
        box.SetSelColor(TextColors::kEditedLine);  // what is typed next is red
        KeyCode = 0;
        EnterLineEdit();
        ShowLineEditMode();
      }
      break;
    }
    case Key::kPrior:
    case Key::kNext:
    case Key::kUp:
    case Key::kDown:
      if (selected) {
        KeyCode = 0;
      } else if (EditFlag == 1) {
        CommitEditLine();
        KeyCode = 0;
      }
      break;
    case Key::kLeft: {
      if (selected) {
        KeyCode = 0;
        break;
      }
      const int32_t caret = box.SelStart();
      const QChar before = box.GetLineFromChar(caret) != 0 ? box.CharAt(caret - 1) : QChar();
      if (before == u'\n' && EditFlag == 1) {
        CommitEditLine();
        KeyCode = 0;
      }
      break;
    }
    case Key::kRight: {
      if (selected) {
        KeyCode = 0;
        break;
      }
      const QChar after = box.CharAt(box.SelStart());
      if (after == u'\r' && EditFlag == 1) {
        CommitEditLine();
        KeyCode = 0;
      }
      break;
    }
    case Key::kDelete: {
      KeyCode = 0;
      if (box.SelStart() >= box.Length() || selected) break;
      DrawingLockGuard lock(LockTarget());
      TakeUndoSnapshot();
      // A CR LF line break goes as one, joining the next line to this one.
      box.SetSelLength(StepRight(box.Snapshot(), box.SelStart()) - box.SelStart());
      box.SetSelText(QString());
      StartLineEditAfterDelete();
      ShowLineEditMode();
      break;
    }
    case Key::kProcessKey:
      KeyCode = 0;
      MsgBox(services_, kImeRefused, MsgBoxStyle::kExclamation, MsgBoxTitle::kCaution);
      SetFocus();
      break;
    default:
      break;
  }

  if (EditFlag == 1 && LeavesEditedLine(box, KeyCode, Shift)) KeyCode = 0;

  // Letters are typed in upper case whatever Shift, Ctrl or Caps Lock say.
  if (box.SelLength() == 0 && KeyCode >= Key::kA && KeyCode <= Key::kZ) {
    const QChar letter(KeyCode);
    KeyCode = 0;
    TypeCharacter(letter);
  }
}
