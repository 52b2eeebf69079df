// An editor window's load, activation, resize and unload; the drawing lock
// while the user moves or sizes it by its own title bar and borders.

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyleOptionTitleBar>

#include "editor/ModeTexts.h"
#include "frame/FrameFixture.h"
#include "frame/StatusBar.h"
#include "platform/DrawingLock.h"

namespace {

using Form1LifeCycle = FrameFixture;

TEST(LineTextTest, SignPositionThenLineWord) {
  const struct {
    long long value;
    const char16_t* signedText;
  } cases[] = {{0, u" 0"}, {1, u" 1"}, {25, u" 25"}, {123456, u" 123456"}, {-3, u"-3"}};
  for (const auto& c : cases) EXPECT_EQ(SignedNumber(c.value), QString::fromUtf16(c.signedText));
  EXPECT_EQ(LineText(1), QStringLiteral(" 1行目"));
  EXPECT_EQ(LineText(12), QStringLiteral(" 12行目"));
}

TEST_F(Form1LifeCycle, LoadedBeforeItsCaptionIsSet) {
  Form1* form = frame->CreateForm();
  EXPECT_EQ(form->Caption(), "Form1");
  EXPECT_EQ(form->modeText(), ModeTexts::kBrowse);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->ExFocused, 0);
  EXPECT_EQ(form->MeExiting, 0);
  EXPECT_TRUE(form->UndoText.isEmpty());
  EXPECT_EQ(frame->LastForm(), form);
}

TEST_F(Form1LifeCycle, ActivationWritesTheWindowsOwnLineAndMode) {
  Form1* a = OpenProgram("A.m", "N1\r\nN2\r\nN3\r\nN4\r\n");
  Form1* b = OpenProgram("B.m", "N1\r\nN2\r\n");
  EXPECT_EQ(Panel(1), QStringLiteral(" 1行目"));
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);

  a->RichTextBox1->SetSelStart(a->RichTextBox1->Text().indexOf(QStringLiteral("N3")));
  b->RichTextBox1->SetSelStart(b->RichTextBox1->Text().indexOf(QStringLiteral("N2")));
  a->SetFocus();
  EXPECT_EQ(Panel(1), QStringLiteral(" 3行目"));
  b->SetFocus();
  EXPECT_EQ(Panel(1), QStringLiteral(" 2行目"));
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
}

TEST_F(Form1LifeCycle, CaretMovesWriteTheLineIntoPanelOne) {
  Form1* a = OpenProgram("A.m", "N1\r\nN2\r\nN3\r\n");
  a->RichTextBox1->SetSelStart(a->RichTextBox1->Text().indexOf(QStringLiteral("N3")));
  EXPECT_EQ(Panel(1), QStringLiteral(" 3行目"));
}

TEST_F(Form1LifeCycle, ControlFillsTheClientArea) {
  Form1* a = New();
  New();
  EXPECT_GT(a->ScaleHeight(), 0);
  EXPECT_EQ(a->RichTextBox1->Width(), a->ScaleWidth());
  EXPECT_EQ(a->RichTextBox1->Height(), a->ScaleHeight());

  const int height = a->RichTextBox1->Height();
  a->showMinimized();
  EXPECT_EQ(a->ScaleHeight(), 0);
  a->Form_Resize();
  EXPECT_EQ(a->RichTextBox1->Height(), height) << "a minimised window keeps the control's height";
}

TEST_F(Form1LifeCycle, UnloadByCallClosesOnceAndIsSafeToRepeat) {
  QPointer<Form1> a = New();
  Form1* b = New();
  QSignalSpy unloaded(a.data(), &Form1::Unloaded);
  a->Form_Unload();
  EXPECT_EQ(frame->FormNumber, 1);
  EXPECT_EQ(a->MeExiting, 1);
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(frame->Forms(), QList<Form1*>{b});
  a->Form_Unload();  // the close notification's second run
  EXPECT_EQ(frame->FormNumber, 1);
  FlushDeletes();
  EXPECT_TRUE(a.isNull());
  EXPECT_EQ(unloaded.count(), 1) << "the window stops being loaded once";
  EXPECT_EQ(b->geometry().size(), frame->mdiArea()->viewport()->size());
  EXPECT_FALSE(IsDrawingLocked());
}

TEST_F(Form1LifeCycle, UnloadDuringMoveLeftLeavesCountAndPlaceAlone) {
  Form1* a = New();
  Form1* b = New();
  const QRect gb = b->geometry();
  frame->RightMoveFlag = 1;
  a->Form_Unload();
  frame->RightMoveFlag = 0;
  EXPECT_EQ(a->MeExiting, 0);
  EXPECT_EQ(b->geometry(), gb);
  EXPECT_EQ(frame->Forms(), QList<Form1*>{b});
}

// Points of a window's own frame, in the window's coordinates.
QPoint Caption(Form1* form) { return QPoint(form->width() / 2, form->widget()->y() / 2); }
QPoint Corner(Form1* form) { return QPoint(form->width() - 2, form->height() - 2); }
QPoint Edge(Form1* form) { return QPoint(form->width() - 2, form->height() / 2); }
QPoint Icon(Form1* form) {
  QStyleOptionTitleBar title;
  title.initFrom(form);
  title.titleBarFlags = form->windowFlags();
  title.rect = QRect(0, 0, form->width(), form->widget()->y());
  return form->style()
      ->subControlRect(QStyle::CC_TitleBar, &title, QStyle::SC_TitleBarSysMenu, form)
      .center();
}

// `widget` is painted again once it asks to be.
bool PaintsAgain(QWidget* widget) {
  struct Counter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      paints += event->type() == QEvent::Paint;
      return false;
    }
  } counter;
  widget->installEventFilter(&counter);
  widget->update();
  const bool painted = QTest::qWaitFor([&] { return counter.paints > 0; }, 1000);
  widget->removeEventFilter(&counter);
  return painted;
}

class Form1Chrome : public FrameFixture {
 protected:
  // The frame's window fed as the window system feeds it: an event goes to
  // the widget under the pointer, to the one that took the press, or to a popup.
  QPoint At(Form1* form, QPoint point) const { return form->mapTo(frame.get(), point); }
  void Move(QPoint at) const { QTest::mouseMove(frame->windowHandle(), at); }
  void Press(QPoint at) const {
    // The window learns what lies under the pointer from its moves, and from
    // the second one when the pointer comes from its caption.
    Move(at + QPoint(1, 0));
    Move(at);
    QTest::mousePress(frame->windowHandle(), Qt::LeftButton, {}, at);
  }
  void Release(QPoint at) const {
    QTest::mouseRelease(frame->windowHandle(), Qt::LeftButton, {}, at);
  }

  QList<QRect> Places() const {
    QList<QRect> places;
    for (Form1* form : frame->Forms()) places << form->geometry();
    return places;
  }
  // After a gesture: drawing unlocked, the frame and every window painted
  // again, every window on its tile.
  void ExpectDrawnAndTiled(const QList<QRect>& tiles) {
    EXPECT_FALSE(IsDrawingLocked());
    EXPECT_TRUE(frame->updatesEnabled());
    EXPECT_EQ(Places(), tiles);
    for (Form1* form : frame->Forms()) EXPECT_TRUE(PaintsAgain(form->RichTextBox1->viewport()));
    EXPECT_TRUE(PaintsAgain(frame->StatusBar1));
  }
};

enum class End { Release, ReleaseElsewhere, MoveWithoutButton, FocusLost };

TEST_F(Form1Chrome, MovingOrSizingLocksDrawingUntilTheGestureEndsThenRetiles) {
  Form1* a = New();
  Form1* b = New();
  const QList<QRect> tiles = Places();
  const struct {
    const char* what;
    QPoint (*start)(Form1*);
    QPoint travel;
    End end;
  } cases[] = {
      {"caption dragged by 1 px", Caption, {1, 0}, End::Release},
      {"caption dragged", Caption, {60, 40}, End::Release},
      {"corner dragged", Corner, {-60, -40}, End::Release},
      {"edge dragged", Edge, {-30, 0}, End::Release},
      {"corner pressed, never dragged", Corner, {0, 0}, End::Release},
      {"caption dragged, release delivered elsewhere", Caption, {40, 20}, End::ReleaseElsewhere},
      {"edge dragged, release never seen", Edge, {-20, 0}, End::MoveWithoutButton},
      {"corner dragged, application deactivated", Corner, {-40, -20}, End::FocusLost},
  };
  for (const auto& c : cases) {
    for (Form1* form : {a, b}) {
      SCOPED_TRACE(c.what);
      const QPoint from = At(form, c.start(form)), to = from + c.travel;
      Press(from);
      EXPECT_FALSE(IsDrawingLocked()) << "a press alone locks nothing";
      if (!c.travel.isNull()) {
        Move(from + c.travel / 2);
        Move(to);
        EXPECT_TRUE(IsDrawingLocked());
        EXPECT_FALSE(frame->updatesEnabled());
      }
      if (c.end == End::Release) {
        Release(to);
      } else if (c.end != End::FocusLost) {
        // Delivered to the other window: the release, or a move made after it.
        QWidget* elsewhere = (form == a ? b : a)->RichTextBox1->viewport();
        const bool release = c.end == End::ReleaseElsewhere;
        QMouseEvent event(release ? QEvent::MouseButtonRelease : QEvent::MouseMove, QPointF(5, 5),
                          elsewhere->mapToGlobal(QPointF(5, 5)),
                          release ? Qt::LeftButton : Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(elsewhere, &event);
      } else {
        QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
        QCoreApplication::sendEvent(qApp, &inactive);
      }
      ExpectDrawnAndTiled(tiles);
      if (c.end != End::Release) {
        Release(to);  // the window's own drag ends only with its own release
        ExpectDrawnAndTiled(tiles);
      }
    }
  }
}

TEST_F(Form1Chrome, TitleBarOffersTheMenuAndClosingAlone) {
  Form1* a = New();
  Form1* b = New();
  const QList<QRect> tiles = Places();

  // Nothing to maximise or shade: a double-click on the caption changes nothing.
  EXPECT_FALSE(b->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
  QTest::mouseDClick(frame->windowHandle(), Qt::LeftButton, {}, At(b, Caption(b)));
  EXPECT_EQ(b->windowState() & ~Qt::WindowActive, Qt::WindowNoState);
  ExpectDrawnAndTiled(tiles);

  // The icon opens the system menu, which takes the release; Escape closes it.
  const QPoint icon = At(b, Icon(b));
  Press(icon);
  ASSERT_TRUE(b->systemMenu()->isVisible());
  Release(icon);
  QTest::keyClick(b->systemMenu(), Qt::Key_Escape);
  EXPECT_FALSE(b->systemMenu()->isVisible());
  ExpectDrawnAndTiled(tiles);

  // The menu closes the window and offers nothing else: no moving, sizing or
  // staying on top, and no shortcut key.
  QStringList items;
  for (QAction* item : b->systemMenu()->actions())
    items << item->text() + item->shortcut().toString();
  EXPECT_EQ(items, QStringList{QStringLiteral("閉じる(&C)")});
  EXPECT_TRUE(b->actions().isEmpty()) << "no key on the window closes it";
  b->systemMenu()->actions().first()->trigger();
  EXPECT_EQ(frame->FormNumber, 1);
  EXPECT_EQ(a->geometry(), frame->mdiArea()->viewport()->rect());
}

TEST_F(Form1Chrome, ClosingMidGestureReleasesItsLockAndKeepsTheOthersHooks) {
  QPointer<Form1> a = New();
  Form1* b = New();
  const QPoint from = At(a, Caption(a));
  Press(from);
  Move(from + QPoint(20, 10));
  ASSERT_TRUE(IsDrawingLocked());
  a->close();
  EXPECT_FALSE(IsDrawingLocked()) << "a window closed mid-gesture must not freeze the frame";
  Release(from + QPoint(20, 10));
  FlushDeletes();
  EXPECT_TRUE(a.isNull());

  const QList<QRect> tiles = Places();
  const QPoint corner = At(b, Corner(b));
  QTest::qWait(250);  // a window learns where its resized border lies 200 ms later
  Press(corner);
  Move(corner - QPoint(30, 30));
  EXPECT_TRUE(IsDrawingLocked());
  Release(corner - QPoint(30, 30));
  ExpectDrawnAndTiled(tiles);
}

TEST_F(Form1LifeCycle, ClosingAnEditedWindowAsksNothing) {
  Form1* a = OpenProgram("A.m");
  for (Qt::Key key : {Qt::Key_X, Qt::Key_Down, Qt::Key_Shift})
    QTest::keyClick(a->RichTextBox1, key);  // a line edited and confirmed
  ASSERT_EQ(a->EditingStartedFlag, 1);
  a->close();
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(frame->FormNumber, 0);
}

}  // namespace
