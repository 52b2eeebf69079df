// The editor's key handler: what each key does in each mode. Any key ends
// confirmation; letters, Backspace, Delete and Enter start a line edit; the
// navigation keys end one; nothing navigates or edits while a range is
// selected; input-method keys are refused with a message.

#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"
#include "platform/RichTextBox.h"
#include "platform/Services.h"
#include "text/ProgramText.h"

namespace {

namespace Key {
constexpr int16_t kBackspace = 8;
constexpr int16_t kEnter = 13;
constexpr int16_t kPageUp = 33;
constexpr int16_t kPageDown = 34;
constexpr int16_t kLeft = 37;
constexpr int16_t kUp = 38;
constexpr int16_t kRight = 39;
constexpr int16_t kDown = 40;
constexpr int16_t kDelete = 46;
constexpr int16_t kA = 65;
constexpr int16_t kZ = 90;
constexpr int16_t kInputMethod = 229;
}  // namespace Key

const QString kImeRefused =
    QStringLiteral("日本語の入力は出来ません。\r\n\r\n日本語入力モードの場合、[Alt]+[半角/全角]を押してください。");

QChar CharAt(const QString& text, int32_t offset) {
  return (offset >= 0 && offset < text.size()) ? text.at(offset) : QChar();
}

// How many characters make the line break ending just before `offset`: 2 for
// CR LF, 1 for a bare LF.
int32_t BreakBefore(const QString& text, int32_t offset) {
  return (CharAt(text, offset - 2) == u'\r') ? 2 : 1;
}

// How many characters Delete removes at `offset`: a CR LF pair as one unit,
// any other character alone (a bare CR included).
int32_t UnitAt(const QString& text, int32_t offset) {
  return (CharAt(text, offset) == u'\r' && CharAt(text, offset + 1) == u'\n') ? 2 : 1;
}

}  // namespace

void Form1::RichTextBox1_KeyDown(int16_t& KeyCode, int16_t /*Shift*/) {
  RichTextBox& box = *RichTextBox1;

  if (EditDoneFlag == 1) {
    EndConfirmMode();
    KeyCode = 0;
    return;
  }

  const bool selected = box.SelLength() != 0;
  switch (KeyCode) {
    case Key::kBackspace: {
      KeyCode = 0;
      if (box.SelStart() == 0 || selected) break;
      DrawingLockGuard lock(frame_);
      TakeUndoSnapshot();
      const int32_t caret = box.SelStart();
      const int32_t count = (CharAt(box.Text(), caret - 1) == u'\n') ? BreakBefore(box.Text(), caret) : 1;
      box.SetSelStart(caret - count);
      box.SetSelLength(count);
      box.SetSelText(QString());
      StartLineEditAfterDelete();
      ShowLineEditMode();
      break;
    }
    case Key::kEnter: {
      if (selected) {
        KeyCode = 0;
      } else if (EditFlag == 1) {
        CommitEditLine();
        KeyCode = 0;
      } else {
        const int32_t caret = box.SelStart();
        const int32_t length = static_cast<int32_t>(box.Text().size());
        const QChar before = CharAt(box.Text(), caret - 1);
        const bool openLine = caret != length || (caret != 0 && before != u'\n');
        if (!openLine) break;  // empty text, or behind the final line break
        // Open an empty line above the caret's line and edit it.
        DrawingLockGuard lock(frame_);
        TakeUndoSnapshot();
        const LineInfo info = GetProgramLine(box.GetLineFromChar(caret) + 1, box.Text());
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
    case Key::kPageUp:
    case Key::kPageDown:
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
      const QChar before = box.GetLineFromChar(caret) != 0 ? CharAt(box.Text(), caret - 1) : QChar();
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
      const QChar after = CharAt(box.Text(), box.SelStart());
      if (after == u'\r' && EditFlag == 1) {
        CommitEditLine();
        KeyCode = 0;
      }
      break;
    }
    case Key::kDelete: {
      KeyCode = 0;
      if (box.SelStart() >= box.Text().size() || selected) break;
      DrawingLockGuard lock(frame_);
      TakeUndoSnapshot();
      box.SetSelLength(UnitAt(box.Text(), box.SelStart()));
      box.SetSelText(QString());
      StartLineEditAfterDelete();
      ShowLineEditMode();
      break;
    }
    case Key::kInputMethod:
      KeyCode = 0;
      MsgBox(frame_->services(), kImeRefused, MsgBoxStyle::kExclamation, QStringLiteral("注意"));
      SetFocus();
      break;
    default:
      break;
  }

  // Letters are typed in upper case whatever Shift, Ctrl or Caps Lock say.
  if (box.SelLength() == 0 && KeyCode >= Key::kA && KeyCode <= Key::kZ) {
    const QChar letter(KeyCode);
    KeyCode = 0;
    TypeCharacter(letter);
  }
}
