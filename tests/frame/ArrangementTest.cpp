// Tiling order and geometry, the Window menu and move-left.

#include <QAction>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenuBar>
#include <algorithm>
#include <functional>
#include <map>

#include "editor/ModeTexts.h"
#include "frame/FrameFixture.h"
#include "platform/DrawingLock.h"

namespace {

using Arrangement = FrameFixture;

QRect Area(const MDIForm1& frame) { return frame.mdiArea()->viewport()->rect(); }

// The windows from left to right (top to bottom within a column).
QList<Form1*> LeftToRight(const MDIForm1& frame) {
  QList<Form1*> forms = frame.Forms();
  std::sort(forms.begin(), forms.end(), [](Form1* a, Form1* b) {
    return a->Left() != b->Left() ? a->Left() < b->Left() : a->Top() < b->Top();
  });
  return forms;
}

QStringList Captions(const QList<Form1*>& forms) {
  QStringList captions;
  for (Form1* form : forms) captions << QFileInfo(form->Caption()).fileName();
  return captions;
}

TEST_F(Arrangement, NewestStandsLeftmostAndTheColumnsFillTheArea) {
  Form1* a = OpenProgram("A.m");
  Form1* b = OpenProgram("B.m");
  Form1* c = OpenProgram("C.m");
  ASSERT_TRUE(a && b && c);

  EXPECT_EQ(frame->FormNumber, 3);
  EXPECT_EQ(Captions(LeftToRight(*frame)), (QStringList{"C.m", "B.m", "A.m"}));
  const QRect area = Area(*frame);
  const int third = area.width() / 3;
  EXPECT_EQ(c->geometry(), QRect(0, 0, third, area.height()));
  EXPECT_EQ(b->geometry(), QRect(third, 0, third, area.height()));
  EXPECT_EQ(a->geometry(), QRect(2 * third, 0, area.width() - 2 * third, area.height()));
  EXPECT_EQ(frame->ActiveForm(), c);
  EXPECT_EQ(frame->CancelReReMove, 0);
  for (Form1* form : {a, b, c}) EXPECT_EQ(form->ExFocused, 0);
}

TEST_F(Arrangement, ActivatingAnOlderWindowMovesNothing) {
  Form1* a = OpenProgram("A.m");
  Form1* b = OpenProgram("B.m");
  Form1* c = OpenProgram("C.m");
  const QRect ga = a->geometry(), gb = b->geometry(), gc = c->geometry();

  a->SetFocus();
  frame->WinOrgNoCngWinOrder();  // as any later resize would

  EXPECT_EQ(frame->ActiveForm(), a);
  EXPECT_EQ(a->geometry(), ga);
  EXPECT_EQ(b->geometry(), gb);
  EXPECT_EQ(c->geometry(), gc);
  EXPECT_EQ(a->ExFocused, 0);
}

TEST_F(Arrangement, MoveLeftRecreatesTheActiveWindowAsTheNewest) {
  OpenProgram("A.m", "G01X10\r\nG00Y5\r\n");
  Form1* b = OpenProgram("B.m", "N1G01\r\nN2X3\r\n");
  OpenProgram("C.m");
  b->SetFocus();
  EditHistory history;  // a change, then undone
  history.RecordBefore(TextStore(QStringLiteral("undo")), 7);
  history.RecordAfter(TextStore(QStringLiteral("redo")), 9);
  history.Undo();
  b->CopyHistoryFrom(history);
  const QString caption = b->Caption();
  const QString text = b->RichTextBox1->Text();
  QPointer<Form1> old = b;

  frame->mnuWindow_Click();
  ASSERT_TRUE(frame->MenuItem("mnuLeft")->isEnabled());
  frame->mnuLeft_Click();
  FlushDeletes();

  EXPECT_TRUE(old.isNull());
  EXPECT_EQ(frame->FormNumber, 3);
  EXPECT_EQ(frame->Forms().size(), 3);
  EXPECT_EQ(Captions(LeftToRight(*frame)), (QStringList{"B.m", "C.m", "A.m"}));
  Form1* moved = frame->ActiveForm();
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved, frame->LastForm());
  EXPECT_EQ(moved->Caption(), caption);
  EXPECT_EQ(moved->RichTextBox1->Text(), text);
  EXPECT_EQ(moved->UndoText.toString(), "undo");
  EXPECT_EQ(moved->UndoStartPos, 7);
  EXPECT_EQ(moved->RedoText.toString(), "redo");
  EXPECT_EQ(moved->RedoStartPos, 9);
  EXPECT_EQ(moved->RedoUndoFlag, 1);
  EXPECT_EQ(moved->EditingStartedFlag, 1);
  EXPECT_EQ(moved->geometry().topLeft(), QPoint(0, 0));
  EXPECT_EQ(frame->RightMoveFlag, 0);
  EXPECT_FALSE(IsDrawingLocked());
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
}

TEST_F(Arrangement, MoveLeftNeedsTwoWindows) {
  Form1* only = OpenProgram("A.m");
  frame->mnuLeft_Click();
  EXPECT_EQ(frame->LastForm(), only);
  EXPECT_EQ(frame->FormNumber, 1);
}

TEST_F(Arrangement, ClosingTheLeftmostMovesTheOthersUp) {
  Form1* a = OpenProgram("A.m");
  Form1* b = OpenProgram("B.m");
  Form1* c = OpenProgram("C.m");
  c->close();
  FlushDeletes();

  EXPECT_EQ(frame->FormNumber, 2);
  const QRect area = Area(*frame);
  const int half = area.width() / 2;
  EXPECT_EQ(b->geometry(), QRect(0, 0, half, area.height()));
  EXPECT_EQ(a->geometry(), QRect(half, 0, area.width() - half, area.height()));
  EXPECT_EQ(frame->Forms(), (QList<Form1*>{a, b}));
}

TEST_F(Arrangement, ClosingTheLastWindowLeavesNothingToArrange) {
  Form1* a = OpenProgram("A.m");
  a->close();
  FlushDeletes();
  EXPECT_EQ(frame->FormNumber, 0);
  EXPECT_TRUE(frame->Forms().isEmpty());
  EXPECT_FALSE(IsDrawingLocked());
}

// Windows per column, left to right, for n windows.
TEST_F(Arrangement, ColumnsAndRowsByCount) {
  const std::map<int, std::vector<int>> expected = {
      {1, {1}},       {2, {1, 1}},    {3, {1, 1, 1}}, {4, {2, 2}},
      {5, {2, 3}},    {8, {4, 4}}, {9, {3, 3, 3}}, {10, {3, 3, 4}},
  };
  int open = 0;
  for (const auto& [n, columns] : expected) {
    while (open < n) {
      New();
      ++open;
    }
    std::map<int, std::vector<Form1*>> byLeft;
    for (Form1* form : frame->Forms()) byLeft[form->Left()].push_back(form);
    std::vector<int> counts;
    for (const auto& [left, forms] : byLeft) counts.push_back(static_cast<int>(forms.size()));
    EXPECT_EQ(counts, columns) << n << " windows";

    // The area is covered without overlap, and the newest is at the top left.
    const QRect area = Area(*frame);
    long long covered = 0;
    for (Form1* form : frame->Forms()) {
      EXPECT_TRUE(area.contains(form->geometry())) << n;
      covered += static_cast<long long>(form->width()) * form->height();
    }
    EXPECT_EQ(covered, static_cast<long long>(area.width()) * area.height()) << n;
    EXPECT_EQ(frame->LastForm()->geometry().topLeft(), QPoint(0, 0)) << n;
  }
}

TEST_F(Arrangement, HiddenAndMinimisedWindowsAreNotPlaced) {
  Form1* a = New();
  Form1* b = New();
  Form1* c = New();
  b->showMinimized();
  frame->WinOrgNoCngWinOrder();
  const QRect area = Area(*frame);
  EXPECT_EQ(c->geometry(), QRect(0, 0, area.width() / 2, area.height()));
  EXPECT_EQ(a->geometry().left(), area.width() / 2);
}

TEST_F(Arrangement, StateChangesByCodeEndTiled) {
  Form1* a = New();
  Form1* b = New();
  Form1* c = New();
  const QRect area = Area(*frame);
  const QList<QRect> tiles = {a->geometry(), b->geometry(), c->geometry()};
  const auto places = [&] { return QList<QRect>{a->geometry(), b->geometry(), c->geometry()}; };

  frame->SetCaption(QStringLiteral(" 1行目  0 G01X10"));  // as the line probe writes it
  b->showMaximized();
  EXPECT_FALSE(b->isMaximized()) << "no window stays maximised over the others";
  EXPECT_EQ(places(), tiles);
  EXPECT_EQ(frame->Caption(), QStringLiteral(" 1行目  0 G01X10"));
  EXPECT_EQ(frame->menuBar()->cornerWidget(Qt::TopRightCorner), nullptr);

  b->showMinimized();
  EXPECT_TRUE(b->isMinimized());
  EXPECT_EQ(c->geometry(), QRect(0, 0, area.width() / 2, area.height()))
      << "the others share the area";
  EXPECT_EQ(a->geometry().left(), area.width() / 2);

  b->showNormal();
  EXPECT_EQ(places(), tiles) << "restored into its place in the order";

  b->showMinimized();
  b->showMaximized();
  EXPECT_FALSE(b->isMinimized() || b->isMaximized());
  EXPECT_EQ(places(), tiles);
  EXPECT_FALSE(IsDrawingLocked());
}

TEST_F(Arrangement, OnlyTheProgramWritesTheFramesCaption) {
  EXPECT_EQ(frame->Caption(), "KESTO");
  frame->setWindowTitle(QStringLiteral("KESTO - [新規]"));  // as Qt's MDI area would
  EXPECT_EQ(frame->Caption(), "KESTO");
  frame->SetCaption(QStringLiteral(" 2行目  0 G00Y5"));
  EXPECT_EQ(frame->windowTitle(), QStringLiteral(" 2行目  0 G00Y5"));
}

TEST_F(Arrangement, ResizingTheFrameRetilesIntoTheNewArea) {
  Form1* a = New();
  Form1* b = New();
  frame->resize(frame->width() + 200, frame->height() + 100);
  QCoreApplication::processEvents();
  const QRect area = Area(*frame);
  EXPECT_EQ(b->geometry(), QRect(0, 0, area.width() / 2, area.height()));
  EXPECT_EQ(a->geometry().right(), area.right());
}

TEST_F(Arrangement, ResizingOneWindowByHandRetilesAtOnce) {
  Form1* a = New();
  Form1* b = New();
  const QRect ga = a->geometry(), gb = b->geometry();
  b->resize(b->width() / 2, b->height() / 2);
  EXPECT_EQ(a->geometry(), ga);
  EXPECT_EQ(b->geometry(), gb);
}

TEST_F(Arrangement, WindowMenuOffersMoveLeftOnlyWhenItCanRun) {
  frame->mnuWindow_Click();
  EXPECT_FALSE(frame->MenuItem("mnuLeft")->isEnabled()) << "no window";

  Form1* a = OpenProgram("A.m", "G01X10\r\nG00Y5\r\n");
  frame->mnuWindow_Click();
  EXPECT_FALSE(frame->MenuItem("mnuLeft")->isEnabled()) << "the only window is leftmost already";

  OpenProgram("B.m");
  a->SetFocus();
  frame->mnuWindow_Click();
  EXPECT_TRUE(frame->MenuItem("mnuLeft")->isEnabled()) << "older window, nothing pending";

  const auto keys = [&](std::initializer_list<Qt::Key> list) {
    for (Qt::Key key : list) QTest::keyClick(a->RichTextBox1, key);
  };
  struct Case {
    const char* what;
    std::function<void()> set, reset;
  };
  const Case cases[] = {
      // Typing opens a line edit, Down commits it, Shift confirms it.
      {"line edit", [&] { keys({Qt::Key_X}); }, [&] { keys({Qt::Key_Down, Qt::Key_Shift}); }},
      {"confirmation", [&] { keys({Qt::Key_X, Qt::Key_Down}); }, [&] { keys({Qt::Key_Shift}); }},
      {"selection", [&] { a->RichTextBox1->SetSelStart(0), a->RichTextBox1->SetSelLength(3); },
       [&] { a->RichTextBox1->SetSelStart(0); }},
  };
  for (const Case& c : cases) {
    c.set();
    frame->mnuWindow_Click();
    EXPECT_FALSE(frame->MenuItem("mnuLeft")->isEnabled()) << c.what;
    c.reset();
    frame->mnuWindow_Click();
    EXPECT_TRUE(frame->MenuItem("mnuLeft")->isEnabled()) << c.what;
  }
}

TEST_F(Arrangement, FormNumberCountsOpenNewCloseAndMoveLeft) {
  OpenProgram("A.m");
  EXPECT_EQ(frame->FormNumber, 1);
  Form1* n = New();
  EXPECT_EQ(frame->FormNumber, 2);
  frame->mnuFileOpen_Click();  // cancelled: the script has no path
  EXPECT_EQ(frame->FormNumber, 2);
  frame->Forms().first()->SetFocus();
  frame->mnuLeft_Click();
  EXPECT_EQ(frame->FormNumber, 2);
  n->close();
  EXPECT_EQ(frame->FormNumber, 1);
  frame->close();
  EXPECT_EQ(frame->FormNumber, 0);
  EXPECT_TRUE(frame->Forms().isEmpty());
  EXPECT_TRUE(services.messages.empty()) << "closing asks nothing";
}

}  // namespace
