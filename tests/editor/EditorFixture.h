#pragma once
// One editor window on its own, without a frame, holding a given text and
// driven through real key events on its control, as a user would. What the
// window announces for the status bar is kept as the panels would show it.

#include <QTest>
#include <gtest/gtest.h>
#include <array>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "platform/DrawingLock.h"
#include "testkit/ScriptedServices.h"

class EditorFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_FALSE(IsDrawingLocked());
    delete form;
  }

  // A fresh window whose text is `text`, as if opened from a file, caret at `caret`.
  void Edit(const QString& text, int32_t caret = 0) {
    delete form;
    form = new Form1(services);
    QObject::connect(form, &Form1::CaretLineShown, [this](const QString& t) { panels[0] = t; });
    QObject::connect(form, &Form1::ModeTextShown, [this](const QString& t) { panels[1] = t; });
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    box = form->RichTextBox1;
    form->LoadProgram(QStringLiteral("新規"), TextStore(text));
    box->SetSelStart(caret);
    box->SetFocus();
    form->Form_Activate();
  }

  // Status-bar panel 1 (the caret's line) or 2 (the mode text).
  QString Panel(int index) const { return panels[static_cast<size_t>(index - 1)]; }

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

  ScriptedServices services;
  Form1* form = nullptr;
  RichTextBox* box = nullptr;
  std::array<QString, 2> panels;
};
