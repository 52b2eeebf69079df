#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "edit/EditFixture.h"

namespace {

using ToolbarTest = EditFixture;

QPushButton* KeyNamed(MDIForm1& frame, int number) {
  return frame.findChild<QPushButton*>(QStringLiteral("Command%1").arg(number));
}

TEST_F(ToolbarTest, KeysCarryTheirNamesCaptionsAndPlaces) {
  // The soft keyboard row by row, then the calculator by key number 52…75.
  const QStringList softRows = {"P N G 7 8 9 O Q R A B D", "X Z F 4 5 6 C Y L [ ] (",
                                "M S T 1 2 3 I K J , # =", "U W / - 0 . H V E + * )"};
  const QStringList calculator = QStringLiteral(
      "0 . +- 1 2 3 4 5 6 7 8 9 / * - + sin cos tan C sin-1 cos-1 tan-1 =").split(u' ');
  QStringList expected;
  for (const QString& row : softRows) expected += row.split(u' ');
  expected << "BkSp" << "ENTER" << "Command51" << calculator;
  ASSERT_EQ(expected.size(), 75);

  for (int number = 1; number <= 75; ++number) {
    QPushButton* key = KeyNamed(*frame, number);
    ASSERT_NE(key, nullptr) << number;
    EXPECT_EQ(key->text(), expected[number - 1]) << number;
    const QWidget* bar = number <= 51 ? frame->Toolbar1 : frame->Toolbar2;
    EXPECT_EQ(key->parentWidget(), bar) << number;
  }
  // Corners of the layout, in pixels (15 twips each).
  EXPECT_EQ(KeyNamed(*frame, 1)->geometry(), QRect(8, 8, 25, 25));
  EXPECT_EQ(KeyNamed(*frame, 48)->geometry(), QRect(306, 83, 25, 25));
  EXPECT_EQ(KeyNamed(*frame, 50)->geometry(), QRect(344, 33, 49, 25));
  EXPECT_EQ(KeyNamed(*frame, 51)->geometry(), QRect(456, 16, 57, 49));
  EXPECT_EQ(KeyNamed(*frame, 75)->geometry(), QRect(162, 80, 50, 25));
  // The probe keeps its size and shows its whole caption.
  QPushButton* probe = KeyNamed(*frame, 51);
  QStyleOptionButton option;
  option.initFrom(probe);
  option.text = probe->text();
  const QRect contents = probe->style()->subElementRect(QStyle::SE_PushButtonContents, &option, probe);
  EXPECT_EQ(probe->size(), QSize(57, 49));
  EXPECT_LE(QFontMetrics(probe->font()).horizontalAdvance(probe->text()), contents.width());
  EXPECT_EQ(KeyNamed(*frame, 7)->font().pointSize(), 12);
  EXPECT_EQ(KeyNamed(*frame, 49)->font().pointSize(), 9);

  auto* text4 = frame->Toolbar2->findChild<QLineEdit*>(QStringLiteral("Text4"));
  ASSERT_NE(text4, nullptr);
  EXPECT_EQ(text4->geometry(), QRect(256, 80, 201, 25));
  EXPECT_EQ(text4->palette().color(QPalette::Base), QColor(192, 192, 255));
}

TEST_F(ToolbarTest, FrameControlWalkReachesEveryKeyAndField) {
  const QList<QWidget*> controls = frame->Toolbar1->findChildren<QWidget*>() +
                                   frame->Toolbar2->findChildren<QWidget*>();
  frame->DisableFrameControls();
  for (QWidget* control : controls) EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
  frame->EnableFrameControls();
  for (QWidget* control : controls) EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
}

TEST_F(ToolbarTest, KeysOtherThanTheProbeOnlyTakeTheFocus) {
  Form1* form = OpenNumbered(3);
  CaretTo(form, 2, 1);
  const QString text = form->RichTextBox1->Text();
  const int32_t caret = form->RichTextBox1->SelStart();
  for (int number = 1; number <= 75; ++number) {
    if (number == 51) continue;
    QPushButton* key = KeyNamed(*frame, number);
    QTest::mouseClick(key, Qt::LeftButton);
    EXPECT_EQ(frame->focusWidget(), key) << number;
    EXPECT_EQ(form->RichTextBox1->Text(), text) << number;
    EXPECT_EQ(form->RichTextBox1->SelStart(), caret) << number;
    EXPECT_EQ(form->EditFlag + form->EditDoneFlag + form->EditingStartedFlag, 0) << number;
    EXPECT_EQ(frame->Caption(), QStringLiteral("KESTO")) << number;
  }
}

TEST_F(ToolbarTest, ViewItemsShowAndHideTheSoftKeyboardAndRetile) {
  Form1* a = OpenNumbered(3);
  Form1* b = OpenNumbered(3);
  frame->mnuBarSoftKeybord_Click();
  ASSERT_TRUE(frame->Toolbar1->isVisible());
  const int shown = a->height();

  frame->mnuBarRadian_Click();
  EXPECT_FALSE(frame->Toolbar1->isVisible());
  EXPECT_TRUE(frame->Toolbar2->isVisible());
  EXPECT_EQ(a->height(), shown + frame->Toolbar1->height());
  EXPECT_EQ(b->height(), a->height());

  // Already hidden: nothing changes but the windows are tiled again.
  b->setGeometry(30, 30, 100, 100);
  frame->mnuBarRadian_Click();
  EXPECT_EQ(b->height(), a->height());
  EXPECT_EQ(b->pos(), QPoint(0, 0));  // the newest back at the top left

  frame->mnuBarSoftKeybord_Click();
  EXPECT_EQ(a->height(), shown);
}

}  // namespace
