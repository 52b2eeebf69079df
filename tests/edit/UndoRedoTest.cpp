#include "edit/EditFixture.h"
#include "edit/EditHistory.h"
#include "editor/ModeTexts.h"

namespace {

TEST(EditHistoryTest, RecordUndoRedoAndCopy) {
  EditHistory history;
  history.RecordBefore(TextStore(u"a"), 1);
  EXPECT_FALSE(history.CanUndo() || history.CanRedo()) << "no change is complete yet";
  history.RecordAfter(TextStore(u"ab"), 2);
  EXPECT_TRUE(history.CanUndo());

  const TextAndCaret before = history.Undo();
  EXPECT_EQ(before.text.toString(), "a");
  EXPECT_EQ(before.caret, 1);
  EXPECT_TRUE(history.CanRedo() && !history.CanUndo());

  const TextAndCaret after = history.Redo(TextStore(u"a"), 0);  // the caret moved meanwhile
  EXPECT_EQ(after.text.toString(), "ab");
  EXPECT_EQ(after.caret, 2);
  EXPECT_EQ(history.undoStartPos(), 0) << "the next undo returns to the moved caret";
  EXPECT_TRUE(history.CanUndo() && !history.CanRedo());

  EditHistory copy;
  copy.CopyFrom(history);
  EXPECT_EQ(copy.Undo().caret, 0);
  EXPECT_EQ(copy.Redo(TextStore(u"x"), 5).text.toString(), "ab");
}

using UndoRedoTest = EditFixture;

bool AllBlack(const RichTextBox& box) {
  for (int32_t i = 0; i < box.Text().size(); ++i) {
    if (box.ColorAt(i) != TextColors::kNormal) return false;
  }
  return true;
}

TEST_F(UndoRedoTest, UndoThenRedoSwitchesBetweenTheTwoSnapshots) {
  Form1* form = OpenNumbered(4);
  RichTextBox& box = *form->RichTextBox1;
  const QString before = box.Text();
  EditLine(form, 3, Qt::Key_G);
  const QString after = box.Text();
  const int32_t afterCaret = box.SelStart();
  ASSERT_NE(after, before);

  frame->mnuUndo_Click();
  EXPECT_EQ(box.Text(), before);
  EXPECT_EQ(box.SelStart(), form->UndoStartPos);
  EXPECT_EQ(box.SelLength(), 0);
  EXPECT_EQ(form->RedoUndoFlag, 1);

  frame->mnuRedo_Click();
  EXPECT_EQ(box.Text(), after);
  EXPECT_EQ(box.SelStart(), afterCaret);
  EXPECT_EQ(form->RedoUndoFlag, 0);
}

TEST_F(UndoRedoTest, UndoInLineEditLeavesBrowseModeWithBlackText) {
  Form1* form = OpenNumbered(4);
  RichTextBox& box = *form->RichTextBox1;
  EditLine(form, 1, Qt::Key_G);
  CaretTo(form, 2);
  Key(form, Qt::Key_X);  // line 2 is red and the mouse is shut out
  ASSERT_EQ(form->EditFlag, 1);

  frame->mnuUndo_Click();
  EXPECT_TRUE(AllBlack(box));
  EXPECT_EQ(form->EditFlag, 0);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(box.DragMode(), 0);
}

TEST_F(UndoRedoTest, CaretMovedAfterUndoIsWhereTheNextUndoPutsIt) {
  Form1* form = OpenNumbered(6);
  RichTextBox& box = *form->RichTextBox1;
  EditLine(form, 2, Qt::Key_G);
  frame->mnuUndo_Click();
  CaretTo(form, 5, 1);
  const int32_t moved = box.SelStart();

  frame->mnuRedo_Click();
  EXPECT_EQ(form->UndoStartPos, moved);
  frame->mnuUndo_Click();
  EXPECT_EQ(box.SelStart(), moved);
}

TEST_F(UndoRedoTest, UndoAfterTwoEditsRestoresOnlyTheSecondOnesBefore) {
  Form1* form = OpenNumbered(4);
  RichTextBox& box = *form->RichTextBox1;
  EditLine(form, 1, Qt::Key_G);
  const QString betweenEdits = box.Text();
  EditLine(form, 3, Qt::Key_M);

  frame->mnuUndo_Click();
  EXPECT_EQ(box.Text(), betweenEdits);
  frame->mnuEdit_Click();
  EXPECT_FALSE(frame->MenuItem("mnuUndo")->isEnabled());
  EXPECT_TRUE(frame->MenuItem("mnuRedo")->isEnabled());
}

TEST_F(UndoRedoTest, UndoAfterCutRestoresTheLinesWithTheCaretWhereTheyBegan) {
  Form1* form = OpenNumbered(5);
  RichTextBox& box = *form->RichTextBox1;
  const QString before = box.Text();
  DragLines(form, 2, 3);
  ASSERT_EQ(box.SelText(), NumberedLines(2, 3));
  const int32_t cutStart = box.SelStart();

  frame->mnuCut_Click();
  EXPECT_EQ(box.Text(), NumberedLines(1, 1) + NumberedLines(4, 5));
  frame->mnuUndo_Click();
  EXPECT_EQ(box.Text(), before);
  EXPECT_EQ(box.SelStart(), cutStart);
}

}  // namespace
