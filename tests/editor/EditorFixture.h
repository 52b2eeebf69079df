#pragma once
// A frame with one editor window holding a given text, driven through real key
// events on its control, as a user would.

#include "editor/ModeTexts.h"
#include "frame/FrameFixture.h"
#include "platform/DrawingLock.h"

class EditorFixture : public FrameFixture {
 protected:
  void TearDown() override {
    EXPECT_FALSE(IsDrawingLocked());
    FrameFixture::TearDown();
  }

  // A new window whose text is `text`, as if opened from a file, caret at `caret`.
  void Edit(const QString& text, int32_t caret = 0) {
    frame->mnuNewProgram_Click();
    form = frame->LastForm();
    box = form->RichTextBox1;
    box->SetText(text);
    form->UndoText = TextStore(text);
    box->SetSelStart(caret);
  }

  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(box, key, modifiers);
  }
  // Types ASCII characters one key at a time.
  void Type(const char* keys) {
    for (const char* c = keys; *c; ++c) QTest::keyClick(box, *c);
  }
  QRgb ColorAt(int32_t offset) const { return box->ColorAt(offset); }
  // Colour of every character in [from, to) is `color`.
  bool AllColored(int32_t from, int32_t to, QRgb color) const {
    for (int32_t i = from; i < to; ++i) {
      if (box->ColorAt(i) != color) return false;
    }
    return true;
  }

  Form1* form = nullptr;
  RichTextBox* box = nullptr;
};
