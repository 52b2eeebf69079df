#include "control/RichTextBox.h"
#include "editor/Form1.h"

void Form1::ConnectControlEvents() {
  RichTextBox& box = *RichTextBox1;
  box.KeyDown = [this](int16_t& keyCode, int16_t shift) { RichTextBox1_KeyDown(keyCode, shift); };
  box.KeyPress = [this](int16_t& keyAscii) { RichTextBox1_KeyPress(keyAscii); };
  box.SelChange = [this]() { RichTextBox1_SelChange(); };
  box.MouseDown = [this](int16_t button, int16_t shift, float x, float y) {
    RichTextBox1_MouseDown(button, shift, x, y);
  };
  box.MouseUp = [this](int16_t button, int16_t shift, float x, float y) {
    RichTextBox1_MouseUp(button, shift, x, y);
  };
}
