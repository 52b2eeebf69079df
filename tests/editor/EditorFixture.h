#pragma once
// A frame with one editor window holding a given text, driven through real key
// events on its control, as a user would.

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "frame/MDIForm1.h"
#include "frame/StatusBar.h"
#include "platform/DrawingLock.h"
#include "platform/RichTextBox.h"
#include "support/ScriptedServices.h"

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = std::make_unique<MDIForm1>(services);
    frame->show();
  }
  void TearDown() override { EXPECT_FALSE(IsDrawingLocked()); }

  // A new window whose text is `text`, as if opened from a file, caret at `caret`.
  void Open(const QString& text, int32_t caret = 0) {
    frame->mnuNewProgram_Click();
    form = frame->LastForm();
    box = form->RichTextBox1;
    box->SetText(text);
    form->UndoText = text;
    box->SetSelStart(caret);
  }

  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(box, key, modifiers);
  }
  // Types ASCII characters one key at a time.
  void Type(const char* keys) {
    for (const char* c = keys; *c; ++c) QTest::keyClick(box, *c);
  }
  QString Panel(int index) const { return frame->StatusBar1->Panels(index).Text(); }
  QRgb ColorAt(int32_t offset) const { return box->ColorAt(offset); }
  // Colour of every character in [from, to) is `color`.
  bool AllColored(int32_t from, int32_t to, QRgb color) const {
    for (int32_t i = from; i < to; ++i) {
      if (box->ColorAt(i) != color) return false;
    }
    return true;
  }

  ScriptedServices services;
  std::unique_ptr<MDIForm1> frame;
  Form1* form = nullptr;
  RichTextBox* box = nullptr;
};
