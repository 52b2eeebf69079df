// The road of one edit and the ways a line edit ends.

#include "editor/EditorFixture.h"
#include "text/ProgramText.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

class LineEditTest : public EditorFixture {};

TEST_F(LineEditTest, EachStepIsToldOnce) {
  Edit(QStringLiteral("A ;\r\nB ;\r\n"), 6);
  int lines = 0, modes = 0;
  QObject::connect(form, &Form1::CaretLineShown, [&] { ++lines; });
  QObject::connect(form, &Form1::ModeTextShown, [&] { ++modes; });
  // Typing, removing, committing, confirming, a caret move, another edit.
  const struct {
    Qt::Key key;
    int modes;
  } steps[] = {{Qt::Key_X, 1},     {Qt::Key_Backspace, 1}, {Qt::Key_G, 1},      {Qt::Key_Return, 1},
               {Qt::Key_Shift, 1}, {Qt::Key_Up, 0},        {Qt::Key_Delete, 1}, {Qt::Key_Down, 1}};
  for (const auto& step : steps) {
    lines = modes = 0;
    Press(step.key);
    EXPECT_EQ(lines, 1) << step.key << ": the caret's line and the menus are set once";
    EXPECT_EQ(modes, step.modes) << step.key;
  }
  EXPECT_EQ(form->EditDoneFlag, 1) << "the walk ends in confirmation";
}

TEST_F(LineEditTest, TypedStatementTurnsRedThenBlueThenBlack) {
  Edit(QStringLiteral("A ;\r\n"), 5);  // caret on the empty last line

  Type("g");
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\nG"));
  EXPECT_EQ(form->EditFlag, 1);
  EXPECT_EQ(box->DragMode(), 1);
  EXPECT_EQ(form->UndoText.toString(), QStringLiteral("A ;\r\n"));
  EXPECT_EQ(form->UndoStartPos, 5);
  EXPECT_EQ(Panel(2), ModeTexts::kLineEdit);
  EXPECT_TRUE(AllColored(0, 5, TextColors::kNormal));
  EXPECT_EQ(ColorAt(5), TextColors::kEditedLine);

  Type("01x10;");
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\nG01X10;"));
  EXPECT_TRUE(AllColored(5, 12, TextColors::kEditedLine));
  EXPECT_EQ(form->UndoText.toString(), QStringLiteral("A ;\r\n")) << "snapshot taken once per edit";

  Press(Qt::Key_Return);
  const QString committed = QStringLiteral("A ;\r\nG01 X10 ;\r\n");
  EXPECT_EQ(box->Text(), committed);
  EXPECT_EQ(form->EditFlag, 0);
  EXPECT_EQ(form->EditDoneFlag, 1);
  EXPECT_EQ(box->DragMode(), 0);
  EXPECT_EQ(form->confirmStartPos(), 5);
  EXPECT_EQ(form->confirmLength(), 11);
  EXPECT_EQ(box->SelStart(), 16);
  EXPECT_TRUE(AllColored(5, 16, TextColors::kCommitted));
  EXPECT_EQ(Panel(2), ModeTexts::kConfirmation);

  Type("q");  // any key ends confirmation and is itself discarded
  EXPECT_EQ(box->Text(), committed);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_TRUE(AllColored(0, 16, TextColors::kNormal));
  EXPECT_EQ(form->RedoText.toString(), committed);
  EXPECT_EQ(form->RedoStartPos, 16);
  EXPECT_EQ(form->RedoUndoFlag, 0);
  EXPECT_EQ(form->EditingStartedFlag, 1);
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
}

TEST_F(LineEditTest, ModifierAloneEndsConfirmation) {
  Edit(QStringLiteral("A ;\r\n"), 0);
  Type("1");
  Press(Qt::Key_Down);
  ASSERT_EQ(form->EditDoneFlag, 1);
  Press(Qt::Key_Shift);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(box->Text(), QStringLiteral("1 A ;\r\n"));
}

TEST_F(LineEditTest, UnfinishedStatementJoinsTheNextLine) {
  Edit(QStringLiteral("G01\r\nX10 ;\r\nY5 ;\r\n"), 3);
  Type("x");
  Press(Qt::Key_Return);
  EXPECT_EQ(box->Text(), QStringLiteral("G01 XX10 ;\r\nY5 ;\r\n"));
  EXPECT_EQ(form->confirmLength(), 12);
}

TEST_F(LineEditTest, JoinedTextWithoutEndRunsIntoTheFollowingLine) {
  Edit(QStringLiteral("G01\r\nX10\r\nY5 ;\r\n"), 3);
  Type("2");
  Press(Qt::Key_Return);
  EXPECT_EQ(box->Text(), QStringLiteral("G012 X10Y5 ;\r\n"));
}

TEST_F(LineEditTest, OnlyOneFollowingLineIsJoined) {
  Edit(QStringLiteral("A\r\nB\r\nC ;\r\n"), 1);
  Type("1");
  Press(Qt::Key_Return);
  EXPECT_EQ(box->Text(), QStringLiteral("A1 BC ;\r\n"));
}

TEST_F(LineEditTest, BlankLineIsRemovedWithoutConfirmation) {
  Edit(QStringLiteral("A ;\r\n\r\nB ;\r\n"), 5);
  Type(" ");
  ASSERT_EQ(form->EditFlag, 1);
  Press(Qt::Key_Return);
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\nB ;\r\n"));
  EXPECT_EQ(form->EditFlag, 0);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(box->DragMode(), 0);
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
}

TEST_F(LineEditTest, CommitOnEmptyLastLineReturnsToBrowse) {
  Edit(QStringLiteral("A ;\r\nB"), 6);
  Press(Qt::Key_Backspace);  // removes "B": the caret is behind the final break
  ASSERT_EQ(form->EditFlag, 1);
  ASSERT_EQ(box->Text(), QStringLiteral("A ;\r\n"));
  Press(Qt::Key_Return);
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\n"));
  EXPECT_EQ(form->EditFlag, 0);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
}

TEST_F(LineEditTest, EachCommitKeyEndsTheEdit) {
  // The caret stands inside line 2; the key commits without moving it further.
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_Down}) {
    Edit(QStringLiteral("X ;\r\nAB ;\r\nC ;\r\n"), 6);
    Type("1");
    Press(key);
    EXPECT_EQ(form->EditDoneFlag, 1) << key;
    EXPECT_EQ(box->Text(), QStringLiteral("X ;\r\nA1 B ;\r\nC ;\r\n")) << key;
    EXPECT_EQ(box->SelStart(), 13) << "caret behind the committed text, key " << key;
  }
}

TEST_F(LineEditTest, LeftAndRightCommitOnlyAtTheLineEdges) {
  Edit(QStringLiteral("X ;\r\nAB ;\r\n"), 6);
  Type("1");  // "A1B ;", caret at 7
  Press(Qt::Key_Left);
  EXPECT_EQ(form->EditFlag, 1);
  EXPECT_EQ(box->SelStart(), 6);
  Press(Qt::Key_Left);
  EXPECT_EQ(box->SelStart(), 5);
  EXPECT_EQ(form->EditFlag, 1);
  Press(Qt::Key_Left);  // at the start of line 2: commits, caret stays
  EXPECT_EQ(form->EditDoneFlag, 1);

  Edit(QStringLiteral("AB ;\r\n"), 3);
  Type("1");  // "AB 1;" caret at 4, before ";"
  Press(Qt::Key_Right);
  EXPECT_EQ(form->EditFlag, 1);
  Press(Qt::Key_Right);  // before the CR: commits
  EXPECT_EQ(form->EditDoneFlag, 1);
}

TEST_F(LineEditTest, LeftAtStartOfFirstLineDoesNotCommit) {
  Edit(QStringLiteral("AB ;\r\n"), 0);
  Type("1");
  Press(Qt::Key_Left);
  ASSERT_EQ(box->SelStart(), 0);
  Press(Qt::Key_Left);
  EXPECT_EQ(form->EditFlag, 1);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(box->SelStart(), 0);
}

TEST_F(LineEditTest, CommittedLinesAreCanonical) {
  Edit(QStringLiteral("N1G01X1.5Y2 ;\r\n"), 0);
  Type("#1=2a,x");
  Press(Qt::Key_Return);
  const QString text = box->Text();
  const QString committed = text.mid(form->confirmStartPos(), form->confirmLength());
  EXPECT_EQ(NormalizeProgramText(committed), committed);
  EXPECT_EQ(committed, QStringLiteral("#1=2 A,XN1 G01 X1.5 Y2 ;\r\n"));
}

}  // namespace
