#include "edit/EditFixture.h"
#include "edit/PasteOffset.h"
#include "text/ProgramText.h"

namespace {

TEST(PasteOffsetTest, ByLookupStatus) {
  struct Case {
    int16_t status;
    int32_t startPos;
    int32_t expected;
  } const cases[] = {
      {0, 11, 10},  // found: the line's first character
      {2, 0, 0},    // empty text
      {3, 40, 40},  // behind the final line break: the end
      {1, 0, 40},   // no such line: the end, never an offset before the text
  };
  for (const Case& c : cases) {
    LineInfo info;
    info.Status = c.status;
    info.StartPos = c.startPos;
    EXPECT_EQ(PasteInsertionOffset(info, 40), c.expected) << "status " << c.status;
  }
}

using CutCopyPasteTest = EditFixture;

TEST_F(CutCopyPasteTest, PasteGoesInFrontOfTheCaretsLineAndStaysSelected) {
  Form1* form = OpenNumbered(8);
  RichTextBox& box = *form->RichTextBox1;
  DragLines(form, 2, 3);
  frame->mnuCopy_Click();
  EXPECT_EQ(frame->PasteText, NumberedLines(2, 3));

  CaretTo(form, 5, 2);  // the middle of "N5 ;"
  const int32_t caret = box.SelStart();
  frame->mnuPaste_Click();

  EXPECT_EQ(box.Text(), NumberedLines(1, 4) + NumberedLines(2, 3) + NumberedLines(5, 8));
  const int32_t lineStart = static_cast<int32_t>(NumberedLines(1, 4).size());
  EXPECT_EQ(box.SelStart(), lineStart);
  EXPECT_EQ(box.SelText(), NumberedLines(2, 3));
  EXPECT_EQ(form->UndoStartPos, caret);
  EXPECT_EQ(form->RedoStartPos, lineStart);

  // Undo puts the caret back where it was, redo at the insertion, unselected.
  frame->mnuUndo_Click();
  EXPECT_EQ(box.Text(), NumberedLines(1, 8));
  EXPECT_EQ(box.SelStart(), caret);
  frame->mnuRedo_Click();
  EXPECT_EQ(box.SelStart(), lineStart);
  EXPECT_EQ(box.SelLength(), 0);
}

TEST_F(CutCopyPasteTest, PasteAtTheEndAndIntoAnEmptyWindow) {
  Form1* source = OpenNumbered(3);
  DragLines(source, 1, 1);
  frame->mnuCopy_Click();

  CaretTo(source, 4);  // the empty line behind the final line break
  frame->mnuPaste_Click();
  EXPECT_EQ(source->RichTextBox1->Text(), NumberedLines(1, 3) + NumberedLines(1, 1));

  frame->mnuNewProgram_Click();
  Form1* empty = frame->ActiveForm();
  ASSERT_NE(empty, source);
  frame->mnuPaste_Click();
  EXPECT_EQ(empty->RichTextBox1->Text(), NumberedLines(1, 1));
  EXPECT_EQ(empty->RichTextBox1->SelStart(), 0);
}

TEST_F(CutCopyPasteTest, BufferWithoutLineEndJoinsTheCaretsLine) {
  Form1* form = OpenNumbered(2);
  frame->PasteText = QStringLiteral("G01");
  CaretTo(form, 2, 1);
  frame->mnuPaste_Click();
  EXPECT_EQ(form->RichTextBox1->Text(), QStringLiteral("N1 ;\r\nG01N2 ;\r\n"));
}

TEST_F(CutCopyPasteTest, CutInOneWindowPasteInAnotherUndoEachOnItsOwn) {
  Form1* a = OpenNumbered(4);
  Form1* b = Open("G01\r\nG02\r\n");
  a->SetFocus();
  DragLines(a, 2, 3);
  frame->mnuCut_Click();
  b->SetFocus();
  CaretTo(b, 2);
  frame->mnuPaste_Click();
  const QString pasted = QStringLiteral("G01 ;\r\n") + NumberedLines(2, 3) + "G02 ;\r\n";
  EXPECT_EQ(b->RichTextBox1->Text(), pasted);

  a->SetFocus();
  frame->mnuUndo_Click();
  EXPECT_EQ(a->RichTextBox1->Text(), NumberedLines(1, 4));
  EXPECT_EQ(b->RichTextBox1->Text(), pasted);
  b->SetFocus();
  QTest::mouseClick(b->RichTextBox1->viewport(), Qt::LeftButton, {}, PointOnLine(b, 1));
  frame->mnuUndo_Click();
  EXPECT_EQ(b->RichTextBox1->Text(), QStringLiteral("G01 ;\r\nG02 ;\r\n"));
}

TEST_F(CutCopyPasteTest, CopyLeavesTheUndoStateAlone) {
  Form1* form = OpenNumbered(4);
  EditLine(form, 4, Qt::Key_G);
  const QString before = form->UndoText.toString();
  DragLines(form, 1, 2);
  frame->mnuCopy_Click();
  EXPECT_EQ(form->UndoText.toString(), before);
  EXPECT_EQ(form->RedoUndoFlag, 0);

  QTest::mouseClick(form->RichTextBox1->viewport(), Qt::LeftButton, {}, PointOnLine(form, 1));
  frame->mnuUndo_Click();
  EXPECT_EQ(form->RichTextBox1->Text(), NumberedLines(1, 4));
}

}  // namespace
