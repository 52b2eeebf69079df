#pragma once
// Input to the active editor window's text control as a user's keyboard,
// input method and mouse deliver it. Each does nothing when no editor window
// is active.

#include <QEvent>
#include <Qt>
#include <cstdint>

class MDIForm1;

namespace editor_session {

struct KeyStroke;

class ControlInput {
 public:
  explicit ControlInput(MDIForm1& frame) : frame_(frame) {}

  // A key pressed, and released again unless the press closed the window.
  void Key(const KeyStroke& stroke, bool autoRepeat);
  // A character typed with no key of its own: ASCII by its byte; the bytes
  // from 0x80 on pick a kana, a full-width or accented letter, an ideographic
  // space, a lone surrogate or a byte-order mark.
  void Char(uint8_t which);
  // A commit, a composition without commit, or an empty event, by `kind`.
  void InputMethod(uint8_t kind);
  // A press, move or release at (x, y) scaled over the viewport and 10 px
  // beyond its edges; button byte: bit 0 the right button instead of the
  // left, bit 1 Shift held.
  void Mouse(QEvent::Type type, uint8_t buttonBits, uint8_t x, uint8_t y);

 private:
  MDIForm1& frame_;
  Qt::MouseButtons heldButtons_;
};

}  // namespace editor_session
