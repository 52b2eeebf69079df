// An editor window's load, activation, resize, unload and size/move lock.

#include "editor/ModeTexts.h"
#include "frame/FrameFixture.h"
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
  int16_t cancel = 0;
  a->Form_Unload(cancel);
  EXPECT_EQ(cancel, 0);
  EXPECT_EQ(frame->FormNumber, 1);
  EXPECT_EQ(a->MeExiting, 1);
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(frame->Forms(), QList<Form1*>{b});
  a->Form_Unload(cancel);  // the close notification's second run
  EXPECT_EQ(frame->FormNumber, 1);
  FlushDeletes();
  EXPECT_TRUE(a.isNull());
  EXPECT_EQ(b->geometry().size(), frame->mdiArea()->viewport()->size());
  EXPECT_FALSE(IsDrawingLocked());
}

TEST_F(Form1LifeCycle, UnloadDuringMoveLeftLeavesCountAndPlaceAlone) {
  Form1* a = New();
  Form1* b = New();
  const QRect gb = b->geometry();
  frame->RightMoveFlag = 1;
  int16_t cancel = 0;
  a->Form_Unload(cancel);
  frame->RightMoveFlag = 0;
  EXPECT_EQ(frame->FormNumber, 2);
  EXPECT_EQ(a->MeExiting, 0);
  EXPECT_EQ(b->geometry(), gb);
  EXPECT_EQ(frame->Forms(), QList<Form1*>{b});
}

// A point on the title bar of `form`, outside its contents.
QPoint TitlePoint(Form1* form) { return QPoint(form->width() / 2, form->widget()->y() / 2); }

TEST_F(Form1LifeCycle, PressOnTheFrameLocksDrawingUntilRelease) {
  Form1* a = New();
  Form1* b = New();
  ASSERT_GT(a->widget()->y(), 2);

  QTest::mousePress(a, Qt::LeftButton, {}, TitlePoint(a));
  EXPECT_TRUE(IsDrawingLocked());
  EXPECT_FALSE(frame->updatesEnabled());
  QTest::mouseRelease(a, Qt::LeftButton, {}, TitlePoint(a));
  EXPECT_FALSE(IsDrawingLocked());
  EXPECT_TRUE(frame->updatesEnabled());

  // A press inside the text is no move or size gesture.
  QTest::mousePress(b->RichTextBox1, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(IsDrawingLocked());
  QTest::mouseRelease(b->RichTextBox1, Qt::LeftButton, {}, QPoint(5, 5));
}

TEST_F(Form1LifeCycle, ClosingReleasesItsLockAndKeepsTheOthersHooks) {
  QPointer<Form1> a = New();
  Form1* b = New();
  QTest::mousePress(a, Qt::LeftButton, {}, TitlePoint(a));
  ASSERT_TRUE(IsDrawingLocked());
  a->close();
  EXPECT_FALSE(IsDrawingLocked()) << "a window closed mid-gesture must not freeze the frame";
  FlushDeletes();
  EXPECT_TRUE(a.isNull());

  QTest::mousePress(b, Qt::LeftButton, {}, TitlePoint(b));
  EXPECT_TRUE(IsDrawingLocked());
  QTest::mouseRelease(b, Qt::LeftButton, {}, TitlePoint(b));
  EXPECT_FALSE(IsDrawingLocked());
}

TEST_F(Form1LifeCycle, ClosingAnEditedWindowAsksNothing) {
  Form1* a = OpenProgram("A.m");
  a->RichTextBox1->SetSelText(QStringLiteral("X1 ;\r\n"));
  a->EditingStartedFlag = 1;
  a->close();
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(frame->FormNumber, 0);
}

}  // namespace
