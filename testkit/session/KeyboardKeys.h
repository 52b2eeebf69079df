#pragma once
// The keys of a US keyboard with a numeric keypad and the Japanese
// half-width/full-width key, by their Windows virtual-key code: what Qt
// delivers when one is pressed with Shift or Ctrl held.

#include <QString>
#include <Qt>
#include <cstdint>
#include <optional>

namespace editor_session {

struct KeyStroke {
  int key;  // Qt::Key
  Qt::KeyboardModifiers modifiers;
  QString text;
};

// The stroke of the key with virtual-key code `code` under the modifier bits
// (KeyBits; auto-repeat is left to the caller); nothing when no key has that code.
std::optional<KeyStroke> KeyStrokeFor(uint8_t code, uint8_t modifierBits);

}  // namespace editor_session
