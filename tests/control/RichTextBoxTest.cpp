// The program text control as the editor uses it: the order of key events and
// cancelling them, caret moves, the mouse with and without DragMode, input
// method text and selection-change reports.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "control/RichTextBox.h"

namespace {

class RichTextBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    box.resize(400, 300);
    box.show();
    box.activateWindow();
    box.SetFocus();
    box.KeyDown = [this](int16_t& code, int16_t shift) {
      log.push_back("down " + std::to_string(code) + " " + std::to_string(shift) + " @" +
                    std::to_string(box.SelStart()));
      if (code == cancelKey) code = 0;
    };
    box.KeyPress = [this](int16_t& ascii) {
      log.push_back("press " + std::to_string(ascii) + " @" + std::to_string(box.SelStart()));
      if (ascii == dropChar) ascii = 0;
    };
    box.SelChange = [this] {
      log.push_back("sel " + std::to_string(box.SelStart()) + "+" +
                    std::to_string(box.SelLength()));
    };
    box.MouseDown = [this](int16_t button, int16_t shift, float, float) {
      log.push_back("mousedown " + std::to_string(button) + " " + std::to_string(shift) + " @" +
                    std::to_string(box.SelStart()) + "+" + std::to_string(box.SelLength()));
    };
    box.MouseUp = [this](int16_t button, int16_t, float, float) {
      log.push_back("mouseup " + std::to_string(button) + " @" + std::to_string(box.SelStart()) +
                    "+" + std::to_string(box.SelLength()));
    };
  }

  void Key(int qtKey, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
    QCoreApplication::sendEvent(&box, &press);
  }

  // The centre of the caret when it stands at `offset`, in viewport coordinates.
  QPoint PointOf(int32_t offset) {
    box.SetSelStart(offset);
    const QRect caret = static_cast<QWidget&>(box).inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QPoint centre = caret.center() - box.viewport()->pos();
    // The control keeps the caret in view.
    EXPECT_TRUE(box.viewport()->rect().contains(centre)) << "offset " << offset;
    return centre;
  }

  // A mouse move with the left button held, in viewport coordinates.
  void Drag(QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, box.viewport()->mapToGlobal(at), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box.viewport(), &move);
  }
  // The timer that scrolls while a drag holds the pointer outside the text.
  QTimer* DragScroller() { return box.findChild<QTimer*>(QStringLiteral("dragScroll")); }
  bool DragScrolling() { return DragScroller() && DragScroller()->isActive(); }
  // One tick of that timer, as its interval would bring it.
  void Tick() {
    ASSERT_TRUE(DragScrolling());
    QTimerEvent tick(DragScroller()->timerId());
    QCoreApplication::sendEvent(DragScroller(), &tick);
  }
  int32_t CaretLine() const { return box.GetLineFromChar(box.model().caret()); }
  // Lines "N0000" to "N4999", seven characters each with the line break.
  void NumberedLines() {
    QString text;
    for (int i = 0; i < 5000; ++i) text += QStringLiteral("N%1\r\n").arg(i, 4, 10, QChar(u'0'));
    box.SetText(text);
  }

  RichTextBox box;
  std::vector<std::string> log;
  int cancelKey = -1;
  int dropChar = -1;
};

TEST_F(RichTextBoxTest, KeyDownThenOwnMoveThenKeyPress) {
  box.SetText("AB\r\nCD");
  box.SetSelStart(1);
  log.clear();
  // A key that both moves and types shows each step in order.
  Key(Qt::Key_Right, "x");
  EXPECT_EQ(log, (std::vector<std::string>{"down 39 0 @1", "sel 2+0", "press 120 @2", "sel 3+0"}));
  EXPECT_EQ(box.Text(), "ABx\r\nCD");
}

TEST_F(RichTextBoxTest, CancelledKeyDoesNothingMore) {
  box.SetText("AB\r\nCD");
  box.SetSelStart(1);
  log.clear();
  cancelKey = 39;
  Key(Qt::Key_Right, "x");
  EXPECT_EQ(log, (std::vector<std::string>{"down 39 0 @1"}));
  EXPECT_EQ(box.SelStart(), 1);
  EXPECT_EQ(box.Text(), "AB\r\nCD");
}

TEST_F(RichTextBoxTest, DroppedCharacterIsNotInserted) {
  box.SetText("AB");
  box.SetSelStart(2);
  dropChar = '1';
  Key(Qt::Key_1, "1");
  Key(Qt::Key_2, "2");
  EXPECT_EQ(box.Text(), "AB2");
}

TEST_F(RichTextBoxTest, ControlKeysTypeNothingButEnterBreaksTheLine) {
  box.KeyDown = nullptr;  // empty callbacks are allowed
  box.KeyPress = nullptr;
  box.SetText("AB");
  box.SetSelStart(1);
  Key(Qt::Key_Backspace, "\b");
  Key(Qt::Key_Escape, "\x1b");
  Key(Qt::Key_V, "\x16", Qt::ControlModifier);
  Key(Qt::Key_F, "f", Qt::AltModifier);
  EXPECT_EQ(box.Text(), "AB");
  Key(Qt::Key_Return, "\r");
  EXPECT_EQ(box.Text(), "A\r\nB");
  EXPECT_EQ(box.SelStart(), 3);  // a line break counts two
  EXPECT_EQ(box.GetLineFromChar(3), 1);
}

TEST_F(RichTextBoxTest, AltCombinationsAreLeftToTheMenuBar) {
  box.SetText("AB");
  log.clear();
  QKeyEvent altF(QEvent::KeyPress, Qt::Key_F, Qt::AltModifier, "f");
  QCoreApplication::sendEvent(&box, &altF);
  EXPECT_FALSE(altF.isAccepted()) << "passed on to the window and its menu bar";
  EXPECT_TRUE(log.empty()) << "no key-down, no character";
  Key(Qt::Key_Alt, {}, Qt::AltModifier);  // Alt alone is an ordinary key
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("down 18 ", 0), 0u) << log[0];
  EXPECT_EQ(box.Text(), "AB");
}

TEST_F(RichTextBoxTest, CtrlVIsAKeyNotAPaste) {
  box.SetText("AB");
  box.SetSelStart(2);
  QApplication::clipboard()->setText("PASTE");
  cancelKey = 86;  // as the editor does: it types the letter itself
  // Ctrl combinations are taken as keys, not as shortcuts; Alt ones are not.
  QKeyEvent ctrlV(QEvent::ShortcutOverride, Qt::Key_V, Qt::ControlModifier, "\x16");
  ctrlV.ignore();
  QCoreApplication::sendEvent(&box, &ctrlV);
  EXPECT_TRUE(ctrlV.isAccepted());
  QKeyEvent altF(QEvent::ShortcutOverride, Qt::Key_F, Qt::AltModifier, "f");
  altF.ignore();
  QCoreApplication::sendEvent(&box, &altF);
  EXPECT_FALSE(altF.isAccepted());

  log.clear();
  QTest::keyPress(&box, Qt::Key_V, Qt::ControlModifier);
  // Ctrl itself goes down first (17), then V.
  EXPECT_EQ(log, (std::vector<std::string>{"down 17 2 @2", "down 86 2 @2"}));
  EXPECT_EQ(box.Text(), "AB");
}

TEST_F(RichTextBoxTest, VirtualKeyCodes) {
  const std::pair<int, int> named[] = {
      {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},      {Qt::Key_Backtab, 9}, {Qt::Key_Return, 13},
      {Qt::Key_Enter, 13},    {Qt::Key_Shift, 16},   {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},
      {Qt::Key_Escape, 27},   {Qt::Key_Space, 32},   {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
      {Qt::Key_End, 35},      {Qt::Key_Home, 36},    {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
      {Qt::Key_Right, 39},    {Qt::Key_Down, 40},    {Qt::Key_Insert, 45}, {Qt::Key_Delete, 46},
      {Qt::Key_0, 48},        {Qt::Key_9, 57},       {Qt::Key_A, 65},      {Qt::Key_Z, 90},
      {Qt::Key_F1, 112},      {Qt::Key_F12, 123},    {Qt::Key_Period, 190}, {Qt::Key_Semicolon, 186},
  };
  for (auto [key, code] : named) EXPECT_EQ(RichTextBox::VirtualKeyCode(key, Qt::NoModifier), code) << key;

  // No printable ASCII key may arrive as a key the editor acts on, whatever
  // Qt's own number for it (Qt numbers "." 46, like Delete).
  const std::vector<int> handled = {8, 13, 33, 34, 37, 38, 39, 40, 46, 229};
  for (int ch = 0x21; ch < 0x7f; ++ch) {
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) continue;
    log.clear();
    Key(ch, QString(QChar(ch)));
    ASSERT_GE(log.size(), 2u) << ch;
    ASSERT_EQ(log[0].rfind("down ", 0), 0u) << ch;
    const int code = std::stoi(log[0].substr(5));
    EXPECT_NE(code, 0) << ch;
    EXPECT_EQ(std::count(handled.begin(), handled.end(), code), 0) << "char " << ch << " -> " << code;
  }
  // Keys without a code of their own still arrive, as a code nobody handles.
  log.clear();
  Key(Qt::Key_Hiragana_Katakana);
  EXPECT_EQ(log, (std::vector<std::string>{"down 255 0 @" + std::to_string(box.SelStart())}));
}

TEST_F(RichTextBoxTest, CaretMoves) {
  // Line 0 "ABCDEF", line 1 "AB", line 2 "ABCDEF" with no line break after it.
  struct Case {
    int32_t from;
    int key;
    Qt::KeyboardModifiers mods;
    int32_t selStart, selLength;
  };
  const Case cases[] = {
      {6, Qt::Key_Right, Qt::NoModifier, 8, 0},    // over CR LF in one step
      {8, Qt::Key_Left, Qt::NoModifier, 6, 0},
      {0, Qt::Key_Left, Qt::NoModifier, 0, 0},
      {18, Qt::Key_Right, Qt::NoModifier, 18, 0},
      {3, Qt::Key_End, Qt::NoModifier, 6, 0},      // stops before CR LF
      {10, Qt::Key_Home, Qt::NoModifier, 8, 0},
      {3, Qt::Key_End, Qt::ControlModifier, 18, 0},
      {15, Qt::Key_Home, Qt::ControlModifier, 0, 0},
      {9, Qt::Key_Up, Qt::NoModifier, 1, 0},
      {1, Qt::Key_Down, Qt::NoModifier, 9, 0},
      {2, Qt::Key_Up, Qt::NoModifier, 2, 0},       // on the first line: stays
      {6, Qt::Key_Right, Qt::ShiftModifier, 6, 2}, // Shift extends, anchor stays
      {8, Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier, 0, 8},
      {14, Qt::Key_PageUp, Qt::NoModifier, 2, 0},
      {2, Qt::Key_PageDown, Qt::NoModifier, 14, 0},
  };
  box.SetText("ABCDEF\r\nAB\r\nABCDEF");
  for (const Case& c : cases) {
    box.SetSelStart(c.from);
    Key(c.key, {}, c.mods);
    EXPECT_EQ(box.SelStart(), c.selStart) << "from " << c.from << " key " << std::hex << c.key;
    EXPECT_EQ(box.SelLength(), c.selLength) << "from " << c.from << " key " << std::hex << c.key;
  }
}

TEST_F(RichTextBoxTest, UpAndDownKeepTheColumnAcrossAShortLine) {
  box.SetText("ABCDEF\r\nAB\r\nABCDEF");
  box.SetSelStart(5);
  Key(Qt::Key_Down);
  EXPECT_EQ(box.SelStart(), 10);  // end of the short line
  Key(Qt::Key_Down);
  EXPECT_EQ(box.SelStart(), 17);  // back in column 5
}

TEST_F(RichTextBoxTest, PagesAndFarMovesKeepTheCaretInView) {
  QString text;
  for (int i = 1; i <= 300; ++i) text += QStringLiteral("N%1 G01 X%1 ;\r\n").arg(i);
  box.SetText(text);
  for (int32_t offset : {static_cast<int32_t>(text.size()), 0, 2000, 1000}) PointOf(offset);
  box.verticalScrollBar()->setValue(0);  // the caret scrolled out of sight by the wheel
  box.SetSelStart(2000);
  box.verticalScrollBar()->setValue(0);
  Key(Qt::Key_PageDown);
  const QRect caret = static_cast<QWidget&>(box).inputMethodQuery(Qt::ImCursorRectangle).toRect();
  EXPECT_TRUE(box.rect().contains(caret.center()));
}

TEST_F(RichTextBoxTest, SelChangeOnlyWhenTheSelectionChanges) {
  box.SetText("ABCDEF");
  log.clear();
  box.SetSelStart(2);
  box.SetSelStart(2);
  box.SetSelLength(3);
  box.SetSelLength(3);
  box.SetSelText("x");
  box.SetSelText("");
  box.SetSelColor(0xffff0000);
  box.SetSelStart(-4);
  box.SetText("QQ");  // caret already at 0
  EXPECT_EQ(log, (std::vector<std::string>{"sel 2+0", "sel 2+3", "sel 3+0", "sel 0+0"}));
  EXPECT_EQ(box.Text(), "QQ");
}

// The control reads what it is given before it changes itself: writing its
// own text (which shares the control's storage) over a selection or at the
// caret leaves the caret behind the written copy and the rest of the colours
// as they were.
TEST_F(RichTextBoxTest, WritingItsOwnTextInsertsACopy) {
  for (const int32_t selected : {0, 2}) {
    box.SetText("AB\r\n");
    box.SetSelStart(0);
    box.SetSelLength(2);
    box.SetSelColor(0xffff4040);
    box.SetSelStart(2);
    box.SetSelLength(selected);
    box.SetSelText(box.Text());
    const QString expected = selected ? "ABAB\r\n" : "ABAB\r\n\r\n";
    EXPECT_EQ(box.Text(), expected) << selected;
    EXPECT_EQ(box.SelStart(), 6) << selected;
    EXPECT_EQ(box.SelLength(), 0) << selected;
    // The copy takes the colour of what it replaces, or of the character
    // before the caret; what follows it keeps its own.
    EXPECT_EQ(box.ColorAt(0), 0xffff4040u) << selected;
    EXPECT_EQ(box.ColorAt(2), selected ? RichTextModel::kDefaultColor : 0xffff4040u) << selected;
    EXPECT_EQ(box.ColorAt(static_cast<int32_t>(expected.size()) - 1), RichTextModel::kDefaultColor)
        << selected;
  }
}

TEST_F(RichTextBoxTest, DragModeShutsOutTheMouse) {
  box.SetText("ABCDEF\r\nABCDEF");
  box.SetSelStart(2);
  box.SetDragMode(1);
  log.clear();
  QWidget* vp = box.viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, PointOf(10));
  QTest::mouseMove(vp, PointOf(12));
  QTest::mouseRelease(vp, Qt::LeftButton, {}, PointOf(12));
  QTest::mouseDClick(vp, Qt::LeftButton, {}, PointOf(12));
  QTest::mousePress(vp, Qt::RightButton, {}, PointOf(12));
  QTest::mouseRelease(vp, Qt::RightButton, {}, PointOf(12));
  EXPECT_EQ(box.SelStart(), 12);  // only the programmatic moves of PointOf
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& s) { return s.rfind("mouse", 0) == 0; }),
            0);
}

TEST_F(RichTextBoxTest, MouseSelectsWithCallbacksInOrder) {
  box.SetText("ABCDEF\r\nABCDEF\r\nABCDEF");
  const QPoint start = PointOf(3);
  const QPoint end = PointOf(11);
  const QPoint further = PointOf(20);
  box.SetSelStart(16);
  box.SetSelLength(2);
  log.clear();
  QWidget* vp = box.viewport();
  QTest::mousePress(vp, Qt::LeftButton, {}, start);
  QMouseEvent move(QEvent::MouseMove, end, vp->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(vp, &move);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, end);
  EXPECT_EQ(log, (std::vector<std::string>{"mousedown 1 0 @16+2", "sel 3+0", "sel 3+8",
                                           "mouseup 1 @3+8"}));
  // Shift+press extends from the anchor.
  QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, further);
  EXPECT_EQ(box.SelStart(), 3);
  EXPECT_EQ(box.SelLength(), 17);
}

// Holding a drag below the text scrolls it with the caret on the last line
// in view, one selection change per tick, faster the farther out; above, the
// same upwards. The anchor stays where the press put it.
TEST_F(RichTextBoxTest, DragHeldOutsideTheTextScrollsFasterTheFartherOut) {
  NumberedLines();
  QWidget* vp = box.viewport();
  const int32_t anchor = 7 * 2500 + 3;
  std::vector<int32_t> linesPerTick;
  for (const int beyond : {0, 20, 40, 80, 120, -20, -80}) {
    const QPoint start = PointOf(anchor);
    QTest::mousePress(vp, Qt::LeftButton, {}, start);
    Drag(QPoint(start.x(), beyond < 0 ? beyond : vp->height() + beyond));
    const int32_t before = CaretLine();
    log.clear();
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_EQ(log.size(), 3u) << beyond;
    linesPerTick.push_back(std::abs(CaretLine() - before) / 3);
    EXPECT_EQ(box.model().anchor(), anchor) << beyond;
    const int top = box.verticalScrollBar()->value();
    const int lineHeight = static_cast<QWidget&>(box).inputMethodQuery(Qt::ImCursorRectangle).toRect().height();
    EXPECT_EQ(CaretLine(), beyond < 0 ? top : top + vp->height() / lineHeight - 1) << beyond;
    QTest::mouseRelease(vp, Qt::LeftButton, {}, start);
  }
  EXPECT_EQ(linesPerTick[0], 1);
  EXPECT_TRUE(std::is_sorted(linesPerTick.begin(), linesPerTick.begin() + 5));
  EXPECT_GE(linesPerTick[4], 64);
  EXPECT_EQ(linesPerTick[5], linesPerTick[1]) << "as fast above as below";
}

// The scrolling stops when the pointer comes back over the text (the drag
// goes on), and with the drag on release, on losing the focus (a popup or
// another window took the mouse), when the mouse is shut out and when the
// control is hidden. The timer ticks on its own.
TEST_F(RichTextBoxTest, DragScrollingStops) {
  NumberedLines();
  QWidget* vp = box.viewport();
  const QPoint inside = PointOf(7 * 5 + 1);
  const QPoint below(inside.x(), vp->height() + 30);
  QFocusEvent focusOut(QEvent::FocusOut, Qt::PopupFocusReason);
  const std::vector<std::pair<const char*, std::function<void()>>> stops = {
      {"release", [&] { QTest::mouseRelease(vp, Qt::LeftButton, {}, below); }},
      {"focus out", [&] { QCoreApplication::sendEvent(&box, &focusOut); }},
      {"DragMode 1", [&] { box.SetDragMode(1); }},
      {"hidden", [&] { box.hide(), QTest::qWait(100); }},
  };
  for (const auto& [name, stop] : stops) {
    box.SetDragMode(0);
    box.SetSelStart(0);
    QTest::mousePress(vp, Qt::LeftButton, {}, inside);
    Drag(below);
    const int32_t reached = CaretLine();
    EXPECT_TRUE(QTest::qWaitFor([&] { return CaretLine() > reached + 2; }, 2000)) << name;
    Drag(inside);
    EXPECT_FALSE(DragScrolling()) << name << ": back over the text";
    const QRect caret = static_cast<QWidget&>(box).inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(caret.center() - vp->pos(), inside) << name << ": the caret under the pointer";
    Drag(below);
    EXPECT_TRUE(DragScrolling()) << name;
    stop();
    EXPECT_FALSE(DragScrolling()) << name;
    const int32_t stopped = box.model().caret();
    Drag(inside);
    EXPECT_EQ(box.model().caret(), stopped) << name << ": the drag has ended";
  }
}

TEST_F(RichTextBoxTest, ClickNeverLandsBetweenCrAndLf) {
  box.SetText("AB\r\nCD");
  QWidget* vp = box.viewport();
  const int y = PointOf(0).y();
  QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(390, y));
  EXPECT_EQ(box.SelStart(), 2);
}

TEST_F(RichTextBoxTest, ClickFindsTheCaretPositionOnShortAndLongLines) {
  // A long line is measured differently from a short one; both must agree
  // with where the caret is drawn.
  QString longLine;
  for (int i = 0; i < 3000; ++i) longLine += QStringLiteral("G1X2（工）");
  box.SetText("N1 G01 （工具交換） X10 ;\r\n" + longLine);
  const int32_t secondLine = box.Text().indexOf('\n') + 1;
  const int32_t offsets[] = {0, 3, 8, 12, secondLine + 5, secondLine + 14999, secondLine + 20995,
                             static_cast<int32_t>(box.Text().size())};
  QWidget* vp = box.viewport();
  for (int32_t offset : offsets) {
    const QPoint at = PointOf(offset);  // scrolls the caret into view
    QTest::mouseClick(vp, Qt::LeftButton, {}, at);
    EXPECT_EQ(box.SelStart(), offset);
    box.viewport()->grab();  // paints the stretch around it
  }
}

TEST_F(RichTextBoxTest, InputMethodTextArrivesAs229AndIsNotInserted) {
  box.SetText("AB");
  box.SetSelStart(2);
  log.clear();
  QInputMethodEvent preedit(QString::fromUtf16(u"こう"), {});
  QCoreApplication::sendEvent(&box, &preedit);
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf16(u"工具"));
  QCoreApplication::sendEvent(&box, &commit);
  QInputMethodEvent nothing;
  QCoreApplication::sendEvent(&box, &nothing);
  EXPECT_EQ(log, (std::vector<std::string>{"down 229 0 @2", "down 229 0 @2"}));
  EXPECT_EQ(box.Text(), "AB");
  EXPECT_TRUE(box.testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(RichTextBoxTest, TabStaysInTheControl) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* control = new RichTextBox;
  auto* other = new RichTextBox;
  layout->addWidget(control);
  layout->addWidget(other);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  control->setFocus();
  ASSERT_TRUE(control->hasFocus());
  int16_t seen = 0;
  control->KeyDown = [&](int16_t& code, int16_t) { seen = code; };
  QTest::keyPress(control, Qt::Key_Tab);
  EXPECT_TRUE(control->hasFocus());
  EXPECT_EQ(seen, 9);
}

}  // namespace
