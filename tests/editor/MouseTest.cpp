// Range selection with the mouse, and the mouse in line-edit and confirmation
// mode; a random walk over keys and mouse that checks the mode invariants.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <random>

#include "editor/EditorFixture.h"
#include "text/ProgramText.h"

namespace {

class MouseTest : public EditorFixture {
 protected:
  // Where the caret would stand at `offset`, in viewport coordinates. Moves the
  // caret there, so take points before the gesture.
  QPoint PointOf(int32_t offset) {
    box->SetSelStart(offset);
    const QRect caret = static_cast<QWidget*>(box)->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    return caret.center() - box->viewport()->pos() + QPoint(1, 0);
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, box->viewport()->mapToGlobal(at), Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(box->viewport(), &event);
  }
  void Drag(QPoint from, QPoint to) {
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(QEvent::MouseMove, to, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
  void Click(QPoint at) { Drag(at, at); }
  void Wheel(QPoint at, Qt::MouseButtons held) {
    QWheelEvent event(at, box->viewport()->mapToGlobal(at), {}, QPoint(0, -120), held,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(box->viewport(), &event);
  }
  // Lines "N0000 ;" on, nine characters each with the line break.
  static QString NumberedLines(int count) {
    QString text;
    for (int i = 0; i < count; ++i) text += QStringLiteral("N%1 ;\r\n").arg(i, 4, 10, QChar(u'0'));
    return text;
  }
};

const QString kFour = QStringLiteral("A1 ;\r\nB2 ;\r\nC3 ;\r\nD4 ;\r\n");  // lines of 6

TEST_F(MouseTest, DragSelectsWholeLinesAndAPressEndsTheRange) {
  Edit(kFour);
  const QPoint from = PointOf(8), to = PointOf(14), elsewhere = PointOf(20);
  box->SetSelStart(0);
  Drag(from, to);
  EXPECT_EQ(box->SelStart(), 6);
  EXPECT_EQ(box->SelLength(), 12);
  EXPECT_EQ(box->SelText(), QStringLiteral("B2 ;\r\nC3 ;\r\n"));
  EXPECT_EQ(Panel(2), ModeTexts::kRangeSelection);

  Mouse(QEvent::MouseButtonPress, elsewhere, Qt::LeftButton);
  EXPECT_EQ(box->SelLength(), 0);
  EXPECT_EQ(box->SelStart(), 20) << "the same press places the caret";
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
  Mouse(QEvent::MouseButtonRelease, elsewhere, Qt::NoButton);
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
}

TEST_F(MouseTest, DragInsideOneLineSelectsThatLine) {
  Edit(kFour);
  const QPoint from = PointOf(13), to = PointOf(15);
  Drag(from, to);
  EXPECT_EQ(box->SelText(), QStringLiteral("C3 ;\r\n"));
}

TEST_F(MouseTest, DragEndingAtALineStartIncludesThatLine) {
  Edit(kFour);
  const QPoint from = PointOf(7), to = PointOf(12);
  Drag(from, to);
  EXPECT_EQ(box->SelText(), QStringLiteral("B2 ;\r\nC3 ;\r\n"));
}

// Holding the button below the text, or turning the wheel with it held,
// extends the selection as a drag does: the release selects whole lines and
// enters range selection.
TEST_F(MouseTest, HoldingBelowTheTextOrTurningTheWheelSelectsWholeLines) {
  Edit(NumberedLines(2000));
  const QPoint from = PointOf(9 * 3 + 4);
  const QPoint below(from.x(), box->viewport()->height() + 60);
  box->SetSelStart(0);
  Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
  Mouse(QEvent::MouseMove, below, Qt::LeftButton);
  auto caretLine = [&] { return box->GetLineFromChar(box->SelStart() + box->SelLength()); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return caretLine() > 40; }, 5000));
  EXPECT_EQ(Panel(1), LineText(4)) << "the line where the selection starts";
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
  const int32_t lastLine = caretLine();
  Mouse(QEvent::MouseButtonRelease, below, Qt::NoButton);
  EXPECT_EQ(box->SelStart(), 9 * 3);
  EXPECT_EQ(box->SelLength(), 9 * (lastLine - 2));
  EXPECT_EQ(Panel(2), ModeTexts::kRangeSelection);

  box->verticalScrollBar()->setValue(0);
  Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
  Wheel(from, Qt::LeftButton);
  Wheel(from, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, from, Qt::NoButton);
  EXPECT_EQ(box->SelText(), NumberedLines(10).mid(9 * 3));
  EXPECT_EQ(Panel(2), ModeTexts::kRangeSelection);
}

TEST_F(MouseTest, ClickWithoutDragStaysInBrowse) {
  Edit(kFour);
  const QPoint at = PointOf(9);
  box->SetSelStart(0);
  Click(at);
  EXPECT_EQ(box->SelStart(), 9);
  EXPECT_EQ(box->SelLength(), 0);
  EXPECT_EQ(Panel(1), QStringLiteral(" 2行目"));
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
}

TEST_F(MouseTest, MouseIsShutOutDuringLineEdit) {
  Edit(kFour);
  const QPoint from = PointOf(14), to = PointOf(22);
  box->SetSelStart(1);
  Type("5");
  ASSERT_EQ(form->EditFlag, 1);
  Drag(from, to);
  Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
  Mouse(QEvent::MouseMove, QPoint(from.x(), box->viewport()->height() + 200), Qt::LeftButton);
  Wheel(from, Qt::LeftButton);
  QTest::qWait(100);
  Mouse(QEvent::MouseButtonRelease, from, Qt::NoButton);
  EXPECT_EQ(box->SelStart(), 2);
  EXPECT_EQ(box->SelLength(), 0);
  EXPECT_EQ(form->EditFlag, 1);
  EXPECT_EQ(Panel(2), ModeTexts::kLineEdit);
}

TEST_F(MouseTest, ConfirmationKeepsNoSelectionAndPutsTheCaretBack) {
  Edit(kFour);
  const QPoint from = PointOf(14), to = PointOf(22);
  box->SetSelStart(1);
  Type("5");
  Press(Qt::Key_Return);
  ASSERT_EQ(form->EditDoneFlag, 1);
  const int32_t behind = form->confirmStartPos() + form->confirmLength();
  Drag(from, to);
  EXPECT_EQ(box->SelLength(), 0);
  EXPECT_EQ(box->SelStart(), behind);
  EXPECT_EQ(form->EditDoneFlag, 1);
  EXPECT_EQ(Panel(2), ModeTexts::kConfirmation);

  // A second button pressed during the drag clears the selection; only a key
  // ends confirmation.
  Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
  Mouse(QEvent::MouseMove, to, Qt::LeftButton);
  ASSERT_NE(box->SelLength(), 0);
  QMouseEvent right(QEvent::MouseButtonPress, to, box->viewport()->mapToGlobal(to),
                    Qt::RightButton, Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
  QCoreApplication::sendEvent(box->viewport(), &right);
  Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  EXPECT_EQ(box->SelLength(), 0);
  EXPECT_EQ(form->EditDoneFlag, 1);
  EXPECT_EQ(Panel(2), ModeTexts::kConfirmation);
}

// Random keys (with Shift and Ctrl) and mouse gestures: the drawing lock is
// always released, line edit and confirmation never overlap, the line index
// matches the text, every text a commit puts in is canonical, and a line edit
// is never left open with the caret off its line or with a selection: red
// text stands only on the caret's line while a line is edited, and nowhere
// otherwise.
TEST_F(MouseTest, RandomUseKeepsTheModeInvariants) {
  const Qt::Key keys[] = {Qt::Key_A,      Qt::Key_G,     Qt::Key_X,        Qt::Key_1,
                          Qt::Key_0,      Qt::Key_Space, Qt::Key_Semicolon, Qt::Key_Period,
                          Qt::Key_Minus,  Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete,
                          Qt::Key_Left,   Qt::Key_Right, Qt::Key_Up,       Qt::Key_Down,
                          Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home,  Qt::Key_End};
  std::mt19937 random(20261207);
  Edit(QStringLiteral("G01 X10 ;\r\nG00 Y5\r\n ;\r\nM30 ;\r\n"));
  int commits = 0, ranges = 0;
  for (int step = 0; step < 3000; ++step) {
    const int what = random() % 10;
    if (what < 8) {
      const Qt::Key key = keys[random() % std::size(keys)];
      const bool caretKey = key == Qt::Key_Left || key == Qt::Key_Right ||
                            key == Qt::Key_Home || key == Qt::Key_End;
      Qt::KeyboardModifiers modifiers;
      if (caretKey && random() % 4 == 0) modifiers |= Qt::ShiftModifier;
      if (caretKey && random() % 4 == 0) modifiers |= Qt::ControlModifier;
      const char text = key == Qt::Key_Space       ? ' '
                        : key == Qt::Key_Semicolon ? ';'
                        : key == Qt::Key_Period    ? '.'
                        : key == Qt::Key_Minus     ? '-'
                        : (key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)
                            ? static_cast<char>(key | 0x20 * (key >= Qt::Key_A))
                            : 0;
      QKeyEvent press(QEvent::KeyPress, key, modifiers, text ? QString(QChar(text)) : QString());
      QCoreApplication::sendEvent(box, &press);
    } else {
      const int32_t length = box->Text().size();
      const int32_t a = length ? static_cast<int32_t>(random() % (length + 1)) : 0;
      const int32_t b = length ? static_cast<int32_t>(random() % (length + 1)) : 0;
      const int32_t keep = box->SelStart(), keepLength = box->SelLength();
      const QPoint from = PointOf(a), to = PointOf(b);
      box->SetSelStart(keep);  // taking the points moved the caret
      box->SetSelLength(keepLength);
      Drag(from, to);
    }
    ASSERT_FALSE(IsDrawingLocked()) << step;
    // One mode at a time, and the flags, the mouse, the status bar and the
    // screen reader's description all say which.
    const EditorMode mode = form->mode();
    ASSERT_EQ(form->EditFlag, mode == EditorMode::kLineEdit ? 1 : 0) << step;
    ASSERT_EQ(form->EditDoneFlag, mode == EditorMode::kConfirmation ? 1 : 0) << step;
    ASSERT_EQ(box->DragMode(), form->EditFlag) << step;
    ASSERT_EQ(Panel(2), form->modeText()) << step;
    ASSERT_EQ(box->accessibleDescription(), form->modeText()) << step;
    ASSERT_EQ(box->GetLineFromChar(box->Text().size()), box->Text().count(u'\n')) << step;
    ranges += Panel(2) == ModeTexts::kRangeSelection;
    if (form->EditDoneFlag == 1) {
      ++commits;
      const QString committed = box->Text().mid(form->confirmStartPos(), form->confirmLength());
      ASSERT_EQ(NormalizeProgramText(committed), committed) << step;
    }
    const int32_t caretLine = box->GetLineFromChar(box->SelStart());
    for (const ColorSpan& span : box->model().colorSpans(0, box->Length())) {
      if (span.color != TextColors::kEditedLine) continue;
      ASSERT_EQ(form->EditFlag, 1) << step << ": red text outside a line edit";
      ASSERT_EQ(box->GetLineFromChar(span.start), caretLine) << step;
      ASSERT_EQ(box->GetLineFromChar(span.end - 1), caretLine) << step;
    }
    if (form->EditFlag == 1) {
      ASSERT_EQ(box->DragMode(), 1) << step;
      ASSERT_EQ(box->SelLength(), 0) << step << ": a selection during a line edit";
    }
  }
  EXPECT_GT(commits, 100) << "the walk reaches confirmation often";
  EXPECT_GT(ranges, 100) << "and range selection";
}

}  // namespace
