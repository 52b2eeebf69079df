#include "testkit/session/KeyboardKeys.h"

#include <array>

#include "testkit/session/EventStream.h"

namespace editor_session {

namespace {

struct KeyboardKey {
  int key = 0;  // 0: no key has this code
  char16_t text = 0;
  int shiftedKey = 0;
  char16_t shiftedText = 0;
  bool keypad = false;
};

using Keyboard = std::array<KeyboardKey, 256>;

// A key that types the same with Shift held (or types nothing).
void Plain(Keyboard& keys, int code, int key, char16_t text = 0) {
  keys[size_t(code)] = {key, text, key, text, false};
}

void Shifted(Keyboard& keys, int code, int key, char16_t text, int shiftedKey,
             char16_t shiftedText) {
  keys[size_t(code)] = {key, text, shiftedKey, shiftedText, false};
}

Keyboard MakeKeyboard() {
  Keyboard keys{};
  for (int i = 0; i < 26; ++i)
    Shifted(keys, 'A' + i, Qt::Key_A + i, char16_t(u'a' + i), Qt::Key_A + i, char16_t(u'A' + i));
  // The digit row and what it types with Shift.
  static const int kDigitShiftKeys[] = {
      Qt::Key_ParenRight, Qt::Key_Exclam, Qt::Key_At, Qt::Key_NumberSign, Qt::Key_Dollar,
      Qt::Key_Percent, Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk, Qt::Key_ParenLeft};
  static const char16_t kDigitShiftTexts[] = u")!@#$%^&*(";
  for (int i = 0; i < 10; ++i)
    Shifted(keys, '0' + i, Qt::Key_0 + i, char16_t(u'0' + i), kDigitShiftKeys[i],
            kDigitShiftTexts[i]);

  Plain(keys, 8, Qt::Key_Backspace, u'\b');
  Plain(keys, 9, Qt::Key_Tab, u'\t');
  Plain(keys, 13, Qt::Key_Return, u'\r');
  Plain(keys, 16, Qt::Key_Shift);
  Plain(keys, 17, Qt::Key_Control);
  Plain(keys, 27, Qt::Key_Escape, 0x1b);
  Plain(keys, 32, Qt::Key_Space, u' ');
  Plain(keys, 33, Qt::Key_PageUp);
  Plain(keys, 34, Qt::Key_PageDown);
  Plain(keys, 35, Qt::Key_End);
  Plain(keys, 36, Qt::Key_Home);
  Plain(keys, 37, Qt::Key_Left);
  Plain(keys, 38, Qt::Key_Up);
  Plain(keys, 39, Qt::Key_Right);
  Plain(keys, 40, Qt::Key_Down);
  Plain(keys, 45, Qt::Key_Insert);
  Plain(keys, 46, Qt::Key_Delete, 0x7f);
  for (int i = 0; i < 12; ++i) Plain(keys, 112 + i, Qt::Key_F1 + i);

  // The numeric keypad with NumLock on: Qt marks its keys with KeypadModifier.
  for (int i = 0; i < 10; ++i) Plain(keys, 96 + i, Qt::Key_0 + i, char16_t(u'0' + i));
  Plain(keys, 106, Qt::Key_Asterisk, u'*');
  Plain(keys, 107, Qt::Key_Plus, u'+');
  Plain(keys, 109, Qt::Key_Minus, u'-');
  Plain(keys, 110, Qt::Key_Period, u'.');
  Plain(keys, 111, Qt::Key_Slash, u'/');
  for (int code = 96; code <= 111; ++code) keys[size_t(code)].keypad = keys[size_t(code)].key != 0;

  // The punctuation keys of the US layout.
  Shifted(keys, 186, Qt::Key_Semicolon, u';', Qt::Key_Colon, u':');
  Shifted(keys, 187, Qt::Key_Equal, u'=', Qt::Key_Plus, u'+');
  Shifted(keys, 188, Qt::Key_Comma, u',', Qt::Key_Less, u'<');
  Shifted(keys, 189, Qt::Key_Minus, u'-', Qt::Key_Underscore, u'_');
  Shifted(keys, 190, Qt::Key_Period, u'.', Qt::Key_Greater, u'>');
  Shifted(keys, 191, Qt::Key_Slash, u'/', Qt::Key_Question, u'?');
  Shifted(keys, 192, Qt::Key_QuoteLeft, u'`', Qt::Key_AsciiTilde, u'~');
  Shifted(keys, 219, Qt::Key_BracketLeft, u'[', Qt::Key_BraceLeft, u'{');
  Shifted(keys, 220, Qt::Key_Backslash, u'\\', Qt::Key_Bar, u'|');
  Shifted(keys, 221, Qt::Key_BracketRight, u']', Qt::Key_BraceRight, u'}');
  Shifted(keys, 222, Qt::Key_Apostrophe, u'\'', Qt::Key_QuoteDbl, u'"');

  // The half-width/full-width key of a Japanese keyboard (VK_OEM_AUTO), which
  // the control has no code for.
  Plain(keys, 0xF3, Qt::Key_Zenkaku_Hankaku);
  return keys;
}

}  // namespace

std::optional<KeyStroke> KeyStrokeFor(uint8_t code, uint8_t modifierBits) {
  static const Keyboard keyboard = MakeKeyboard();
  const KeyboardKey& key = keyboard[code];
  if (key.key == 0) return std::nullopt;
  KeyStroke stroke;
  const bool shift = (modifierBits & kShiftBit) != 0;
  const bool control = (modifierBits & kControlBit) != 0;
  if (shift) stroke.modifiers |= Qt::ShiftModifier;
  if (control) stroke.modifiers |= Qt::ControlModifier;
  if (key.keypad) stroke.modifiers |= Qt::KeypadModifier;
  stroke.key = shift ? key.shiftedKey : key.key;
  char16_t text = shift ? key.shiftedText : key.text;
  // Ctrl with a letter types its control character.
  if (control && ((text >= u'a' && text <= u'z') || (text >= u'A' && text <= u'Z'))) text &= 0x1f;
  if (text != 0) stroke.text = QString(QChar(text));
  return stroke;
}

}  // namespace editor_session
