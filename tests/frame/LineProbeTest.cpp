#include <QPushButton>

#include "edit/EditFixture.h"

namespace {

class LineProbeCaseTest : public EditFixture {
 protected:
  // Twelve lines, the last "G01 X10 ;".
  Form1* OpenTwelve() {
    QByteArray text;
    for (int n = 1; n <= 11; ++n) text += "N" + QByteArray::number(n) + "\r\n";
    return Open(text + "G01X10\r\n");
  }
  void Probe() {
    QTest::mouseClick(frame->findChild<QPushButton*>(QStringLiteral("Command51")), Qt::LeftButton);
  }
};

TEST_F(LineProbeCaseTest, CaptionNamesTheCaretsLineThenBackspaceActs) {
  struct Case {
    int line, column;
    const char* caption;
    int removed;  // characters Backspace removed
  } const cases[] = {
      {12, 3, " 12行目  0 G01 X10 ;\r\n", 1},
      {13, 0, " 13行目  3 ", 2},  // behind the final line break: joins it away
      {1, 0, " 1行目  0 N1 ;\r\n", 0},
  };
  for (const Case& c : cases) {
    frame = std::make_unique<MDIForm1>(services);
    frame->show();
    Form1* form = OpenTwelve();
    CaretTo(form, c.line, c.column);
    const qsizetype before = form->RichTextBox1->Text().size();
    Probe();
    EXPECT_EQ(frame->Caption(), QString::fromUtf8(c.caption)) << c.line;
    EXPECT_EQ(before - form->RichTextBox1->Text().size(), c.removed) << c.line;
    EXPECT_EQ(form->EditFlag, c.removed ? 1 : 0) << c.line;
    EXPECT_EQ(frame->focusWidget(), form->RichTextBox1) << c.line;
  }
}

TEST_F(LineProbeCaseTest, InConfirmationOnlyEndsIt) {
  Form1* form = OpenTwelve();
  CaretTo(form, 2);
  Key(form, Qt::Key_G);
  Key(form, Qt::Key_Down);
  ASSERT_EQ(form->EditDoneFlag, 1);
  const QString text = form->RichTextBox1->Text();
  Probe();
  // The caret stands behind the committed line, at the start of line 3.
  EXPECT_EQ(frame->Caption(), QStringLiteral(" 3行目  0 N3 ;\r\n"));
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(form->EditFlag, 0);
  EXPECT_EQ(form->RichTextBox1->Text(), text);
}

TEST_F(LineProbeCaseTest, WithNothingOpenDoesNothing) {
  Probe();
  EXPECT_EQ(frame->Caption(), QStringLiteral("KESTO"));
}

}  // namespace
