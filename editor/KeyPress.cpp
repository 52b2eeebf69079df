// The character filter: only the characters of the program language pass,
// and the editor inserts each one itself so that it can start the line edit.
// Letters A-Z never arrive here: the key handler types them on key-down.

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "editor/ModeTexts.h"

namespace {

// Space, digits and the symbols, and the lower-case letters; not the control
// characters, not A-Z, not DEL, nothing outside ASCII.
bool IsAccepted(int16_t code) {
  return (code >= 32 && code <= 64) || (code >= 91 && code <= 126);
}

}  // namespace

void Form1::RichTextBox1_KeyPress(int16_t& KeyAscii) {
  const Step step(*this);
  RichTextBox& box = *RichTextBox1;
  if (EditDoneFlag == 1) {
    EndConfirmMode();
    KeyAscii = 0;
    return;
  }
  if (box.SelLength() != 0 || !IsAccepted(KeyAscii)) {
    KeyAscii = 0;
    return;
  }
  const QChar character(KeyAscii);
  KeyAscii = 0;
  TypeCharacter(character);
}
