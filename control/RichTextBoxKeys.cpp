// The key path of the program text control: Qt keys become Windows
// virtual-key codes, reported as key-down; then the control's own caret move;
// then each typed character is reported as key-press and, unless dropped,
// inserted. Input-method text is reported as key-down 229 and never inserted.

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>

#include "control/RichTextBox.h"
#include "control/RichTextBoxView.h"
#include "control/VirtualKeys.h"

namespace {

using namespace VirtualKey;

// Punctuation keys by the character they carry, as the US layout places them:
// unshifted and shifted character on the same OEM key.
int PunctuationCode(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 186;
    case Qt::Key_Equal: case Qt::Key_Plus: return 187;
    case Qt::Key_Comma: case Qt::Key_Less: return 188;
    case Qt::Key_Minus: case Qt::Key_Underscore: return 189;
    case Qt::Key_Period: case Qt::Key_Greater: return 190;
    case Qt::Key_Slash: case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash: case Qt::Key_Bar: case Qt::Key_yen: return 220;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 222;
    // Shifted digits arrive as their symbol; the key is the digit's.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return 0;
  }
}

}  // namespace

int RichTextBox::VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return kNumpad0 + (qtKey - Qt::Key_0);
    switch (qtKey) {
      case Qt::Key_Asterisk: return kMultiply;
      case Qt::Key_Plus: return kAdd;
      case Qt::Key_Minus: return kSubtract;
      case Qt::Key_Period: case Qt::Key_Comma: return kDecimal;
      case Qt::Key_Slash: return kDivide;
      default: break;  // Enter and the navigation keys are the main ones
    }
  }
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return kA + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return k0 + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return kF1 + (qtKey - Qt::Key_F1);
  switch (qtKey) {
    case Qt::Key_Backspace: return kBack;
    case Qt::Key_Tab: case Qt::Key_Backtab: return kTab;
    case Qt::Key_Clear: return kClear;
    case Qt::Key_Return: case Qt::Key_Enter: return kReturn;
    case Qt::Key_Shift: return kShift;
    case Qt::Key_Control: return kControl;
    case Qt::Key_Alt: case Qt::Key_AltGr: return kMenu;
    case Qt::Key_Pause: return kPause;
    case Qt::Key_CapsLock: return kCapital;
    case Qt::Key_Escape: return kEscape;
    case Qt::Key_Space: return kSpace;
    case Qt::Key_PageUp: return kPrior;
    case Qt::Key_PageDown: return kNext;
    case Qt::Key_End: return kEnd;
    case Qt::Key_Home: return kHome;
    case Qt::Key_Left: return kLeft;
    case Qt::Key_Up: return kUp;
    case Qt::Key_Right: return kRight;
    case Qt::Key_Down: return kDown;
    case Qt::Key_Print: return kSnapshot;
    case Qt::Key_Insert: return kInsert;
    case Qt::Key_Delete: return kDelete;
    case Qt::Key_Menu: return kApps;
    case Qt::Key_NumLock: return kNumLock;
    case Qt::Key_ScrollLock: return kScroll;
    default: return PunctuationCode(qtKey);
  }
}

bool RichTextBox::event(QEvent* event) {
  // Keys with Ctrl or Shift come here as key presses rather than as shortcuts
  // of some other widget; Alt combinations stay with the menu bar.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::AltModifier)) {
      key->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

int16_t RichTextBox::ShiftState(Qt::KeyboardModifiers modifiers) {
  int16_t shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ShiftMask::kShift;
  if (modifiers & Qt::ControlModifier) shift |= ShiftMask::kCtrl;
  if (modifiers & Qt::AltModifier) shift |= ShiftMask::kAlt;
  return shift;
}

bool RichTextBox::focusNextPrevChild(bool) { return false; }

void RichTextBox::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  // Alt combinations belong to the menu bar, also when it missed them (as it
  // can while its window is not the active one): they are neither reported
  // nor typed. Alt pressed alone is an ordinary key.
  if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
      VirtualKeyCode(event->key(), modifiers) != VirtualKey::kMenu) {
    event->ignore();
    return;
  }
  event->accept();
  const QPointer<RichTextBox> alive(this);
  int code = VirtualKeyCode(event->key(), modifiers);
  if (code == 0) code = VirtualKey::kOther;

  int16_t keyCode = static_cast<int16_t>(code);
  if (KeyDown) {
    KeyDown(keyCode, ShiftState(modifiers));
    if (!alive) return;
  }
  if (keyCode == 0) return;  // cancelled: nothing moves and no character follows

  MoveCaret(keyCode, modifiers);

  const QString typed = event->text();
  for (const QChar ch : typed) {
    int16_t keyAscii = static_cast<int16_t>(ch.unicode());
    if (KeyPress) {
      KeyPress(keyAscii);
      if (!alive) return;
    }
    if (keyAscii == 0) continue;
    const char16_t inserted = static_cast<char16_t>(keyAscii);
    if (inserted == u'\r') {
      ReplaceSelection(QStringLiteral("\r\n"));
    } else if (inserted == u'\t' || (inserted >= 32 && inserted != 127)) {
      ReplaceSelection(QString(QChar(inserted)));
    }
    // Other control characters (Backspace, Escape, Ctrl+letter) insert nothing.
  }
}

// --- caret moves ---

void RichTextBox::MoveCaretTo(int32_t offset, bool extend) {
  Select(extend ? model_.anchor() : offset, offset);
}

void RichTextBox::Select(int32_t anchor, int32_t caret) {
  const Selection before = CurrentSelection();
  model_.setSelection(anchor, caret);
  Finish(before, false);
}

void RichTextBox::MoveCaretVertically(int32_t lines, bool extend) {
  const int32_t caret = model_.caret();
  const int32_t line = model_.lineFromChar(caret);
  const qreal x = goalX_ ? *goalX_ : view_->XOf(line, caret);
  const int32_t target = std::clamp(line + lines, 0, model_.lineCount() - 1);
  if (target != line) MoveCaretTo(view_->OffsetAt(target, x), extend);
  goalX_ = x;  // the next Up or Down aims at the same x
}

void RichTextBox::MoveCaret(int code, Qt::KeyboardModifiers modifiers) {
  const bool extend = modifiers & Qt::ShiftModifier;
  const bool control = modifiers & Qt::ControlModifier;
  const int32_t caret = model_.caret();
  const int32_t line = model_.lineFromChar(caret);
  switch (code) {
    case VirtualKey::kLeft:
      // Without Shift a selection collapses to its start.
      if (!extend && model_.selLength() > 0) MoveCaretTo(model_.selStart(), false);
      else MoveCaretTo(StepLeft(model_.store(), caret), extend);
      break;
    case VirtualKey::kRight:
      if (!extend && model_.selLength() > 0) MoveCaretTo(model_.selStart() + model_.selLength(), false);
      else MoveCaretTo(StepRight(model_.store(), caret), extend);
      break;
    case VirtualKey::kUp:
      MoveCaretVertically(-1, extend);
      break;
    case VirtualKey::kDown:
      MoveCaretVertically(1, extend);
      break;
    case VirtualKey::kPrior:
    case VirtualKey::kNext: {
      const int page = VisibleLineCount();
      QScrollBar* vertical = verticalScrollBar();
      const int top = vertical->value();
      MoveCaretVertically(code == VirtualKey::kPrior ? -page : page, extend);
      // The view turns the page with the caret, as far as it can.
      vertical->setValue(top + (code == VirtualKey::kPrior ? -page : page));
      EnsureCaretVisible();
      break;
    }
    case VirtualKey::kHome:
      MoveCaretTo(control ? 0 : model_.lineStart(line), extend);
      break;
    case VirtualKey::kEnd:
      MoveCaretTo(control ? model_.length() : model_.lineTextEnd(line), extend);
      break;
    default:
      break;
  }
}

// --- input method ---

void RichTextBox::inputMethodEvent(QInputMethodEvent* event) {
  event->accept();
  if (event->preeditString().isEmpty() && event->commitString().isEmpty()) return;
  // Text from an input method is reported as its key and never inserted.
  int16_t keyCode = VirtualKey::kProcessKey;
  if (KeyDown) KeyDown(keyCode, 0);
}

QVariant RichTextBox::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return true;
    case Qt::ImCursorRectangle:
      return CaretRect().translated(viewport()->pos()).toAlignedRect();
    case Qt::ImFont:
      return font();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: {
      const int32_t line = model_.lineFromChar(model_.caret());
      const int32_t start = model_.lineStart(line);
      const int32_t end = std::min(model_.lineTextEnd(line), start + View::kLongLine);
      const int32_t at = query == Qt::ImCursorPosition ? model_.caret() : model_.anchor();
      return std::clamp(at, start, end) - start;
    }
    case Qt::ImSurroundingText: {
      const int32_t line = model_.lineFromChar(model_.caret());
      const int32_t start = model_.lineStart(line);
      // A hostile line may be megabytes long: the input method gets a bounded part.
      const int32_t length = std::min(model_.lineTextEnd(line) - start, View::kLongLine);
      return model_.range(start, length);
    }
    case Qt::ImCurrentSelection:
      return model_.selLength() <= View::kLongLine ? model_.selText() : QString();
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhNoPredictiveText);
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}
