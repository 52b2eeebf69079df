// What each key does in browse mode, with a selection, and for the input
// method; and which characters the filter lets through.

#include <QInputMethodEvent>

#include "editor/EditorFixture.h"

namespace {

class KeyHandlingTest : public EditorFixture {};

TEST_F(KeyHandlingTest, EnterOpensAnEmptyLineAboveTheCaretLine) {
  const QString before = QStringLiteral("A ;\r\nB ;\r\nC ;\r\n");
  Edit(before, 11);  // inside line 3
  Press(Qt::Key_Return);
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\nB ;\r\n\r\nC ;\r\n"));
  EXPECT_EQ(box->SelStart(), 10);
  EXPECT_EQ(box->GetLineFromChar(box->SelStart()), 2);
  EXPECT_EQ(form->EditFlag, 1);
  EXPECT_EQ(box->DragMode(), 1);
  EXPECT_EQ(form->UndoText.toString(), before);
  EXPECT_EQ(form->UndoStartPos, 11);
  EXPECT_EQ(Panel(2), ModeTexts::kLineEdit);

  Type("x");  // typed on the new line, red
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\nB ;\r\nX\r\nC ;\r\n"));
  EXPECT_EQ(ColorAt(10), TextColors::kEditedLine);
  EXPECT_EQ(ColorAt(13), TextColors::kNormal) << "the old line 3 keeps its colour";
}

TEST_F(KeyHandlingTest, EnterDoesNothingBehindTheFinalBreakOrInAnEmptyText) {
  for (const QString& text : {QStringLiteral("A ;\r\n"), QString()}) {
    Edit(text, static_cast<int32_t>(text.size()));
    Press(Qt::Key_Return);
    EXPECT_EQ(box->Text(), text);
    EXPECT_EQ(form->EditFlag, 0);
    EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
  }
}

TEST_F(KeyHandlingTest, EnterAtTheEndOfAnUnterminatedLastLineOpensALine) {
  Edit(QStringLiteral("A ;\r\nB"), 6);
  Press(Qt::Key_Return);
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\n\r\nB"));
  EXPECT_EQ(form->EditFlag, 1);
}

TEST_F(KeyHandlingTest, BackspaceAndDeleteRemoveALineBreakAsOneUnit) {
  Edit(QStringLiteral("A ;\r\nB ;\r\n"), 5);
  Press(Qt::Key_Backspace);
  EXPECT_EQ(box->Text(), QStringLiteral("A ;B ;\r\n"));
  EXPECT_EQ(box->SelStart(), 3);
  EXPECT_EQ(form->EditFlag, 1);
  EXPECT_TRUE(AllColored(0, 8, TextColors::kEditedLine));

  Edit(QStringLiteral("A ;\r\nB ;\r\n"), 3);
  Press(Qt::Key_Delete);
  EXPECT_EQ(box->Text(), QStringLiteral("A ;B ;\r\n"));
  EXPECT_EQ(box->SelStart(), 3);
  EXPECT_EQ(form->EditFlag, 1);
}

TEST_F(KeyHandlingTest, BareLineEndsAreRemovedAloneNotWithTheirNeighbour) {
  Edit(QStringLiteral("A\nB"), 2);
  Press(Qt::Key_Backspace);
  EXPECT_EQ(box->Text(), QStringLiteral("AB"));

  Edit(QStringLiteral("\nB"), 1);
  Press(Qt::Key_Backspace);
  EXPECT_EQ(box->Text(), QStringLiteral("B"));

  Edit(QStringLiteral("A\rB"), 1);
  Press(Qt::Key_Delete);
  EXPECT_EQ(box->Text(), QStringLiteral("AB"));
}

TEST_F(KeyHandlingTest, BackspaceAtStartAndDeleteAtEndChangeNothing) {
  Edit(QStringLiteral("A ;\r\n"), 0);
  Press(Qt::Key_Backspace);
  Edit(QStringLiteral("A ;\r\n"), 5);
  Press(Qt::Key_Delete);
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\n"));
  EXPECT_EQ(form->EditFlag, 0);
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
}

TEST_F(KeyHandlingTest, RepeatedBackspaceTakesTheSnapshotOnce) {
  const QString before = QStringLiteral("G01 X10 ;\r\n");
  Edit(before, 7);
  for (int i = 0; i < 3; ++i) Press(Qt::Key_Backspace);
  EXPECT_EQ(box->Text(), QStringLiteral("G01  ;\r\n"));
  EXPECT_EQ(form->UndoText.toString(), before);
  EXPECT_EQ(form->UndoStartPos, 7);
}

TEST_F(KeyHandlingTest, LettersAreUpperCaseWhateverTheModifiers) {
  Edit(QString(), 0);
  Type("a");
  Press(Qt::Key_B, Qt::ShiftModifier);
  Press(Qt::Key_V, Qt::ControlModifier);  // types V; there is no paste key
  EXPECT_EQ(box->Text(), QStringLiteral("ABV"));
  EXPECT_EQ(form->EditFlag, 1);
}

TEST_F(KeyHandlingTest, KeysAreCancelledWhileARangeIsSelected) {
  const QString text = QStringLiteral("A ;\r\nB ;\r\n");
  Edit(text, 0);
  Press(Qt::Key_Right, Qt::ShiftModifier);  // a keyboard selection is not widened
  ASSERT_EQ(box->SelLength(), 1);
  EXPECT_EQ(Panel(2), ModeTexts::kBrowse);
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left,
                      Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                      Qt::Key_A, Qt::Key_1, Qt::Key_Space}) {
    Press(key);
    EXPECT_EQ(box->Text(), text) << key;
    EXPECT_EQ(box->SelStart(), 0) << key;
    EXPECT_EQ(box->SelLength(), 1) << key;
    EXPECT_EQ(form->EditFlag, 0) << key;
  }
}

TEST_F(KeyHandlingTest, BrowseKeysMoveTheCaretWithoutEditing) {
  Edit(QStringLiteral("A ;\r\nB ;\r\n"), 0);
  Press(Qt::Key_Down);
  EXPECT_EQ(box->SelStart(), 5);
  EXPECT_EQ(Panel(1), QStringLiteral(" 2行目"));
  Press(Qt::Key_Left);
  EXPECT_EQ(box->SelStart(), 3);
  EXPECT_EQ(form->EditFlag, 0);
  EXPECT_EQ(form->UndoText.toString(), QStringLiteral("A ;\r\nB ;\r\n"));
}

TEST_F(KeyHandlingTest, InputMethodTextIsRefusedWithAMessage) {
  Edit(QStringLiteral("A ;\r\n"), 0);
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("日本"));
  QCoreApplication::sendEvent(box, &commit);
  EXPECT_EQ(box->Text(), QStringLiteral("A ;\r\n"));
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt,
            QStringLiteral("日本語の入力は出来ません。\r\n\r\n"
                           "日本語入力モードの場合、[Alt]+[半角/全角]を押してください。"));
  EXPECT_EQ(services.messages[0].style, 48);
  EXPECT_EQ(services.messages[0].title, QStringLiteral("注意"));
}

TEST_F(KeyHandlingTest, InputMethodInConfirmationOnlyEndsIt) {
  Edit(QStringLiteral("A ;\r\n"), 0);
  Type("1");
  Press(Qt::Key_Return);
  ASSERT_EQ(form->EditDoneFlag, 1);
  int16_t key = 229;
  form->RichTextBox1_KeyDown(key, 0);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(KeyHandlingTest, FilterPassesOnlyTheProgramCharacters) {
  struct Case {
    int16_t code;
    bool accepted;
  };
  const Case cases[] = {{32, true},  {33, true},  {48, true},  {57, true},   {59, true},
                        {64, true},  {91, true},  {96, true},  {97, true},   {122, true},
                        {126, true}, {0, false},  {8, false},  {9, false},   {13, false},
                        {27, false}, {31, false}, {65, false}, {90, false},  {127, false},
                        {128, false}, {177, false}, {-1, false}, {-200, false}};
  for (const Case& c : cases) {
    Edit(QStringLiteral("A ;\r\n"), 0);
    int16_t code = c.code;
    form->RichTextBox1_KeyPress(code);
    EXPECT_EQ(code, 0) << c.code << ": the filter inserts accepted characters itself";
    EXPECT_EQ(box->Text().size(), c.accepted ? 6 : 5) << c.code;
    EXPECT_EQ(form->EditFlag, c.accepted ? 1 : 0) << c.code;
    if (c.accepted) {
      EXPECT_EQ(box->Text().at(0), QChar(c.code)) << "inserted unchanged";
      EXPECT_EQ(Panel(2), ModeTexts::kLineEdit);
    }
  }
}

TEST_F(KeyHandlingTest, TypedCharacterInConfirmationOnlyEndsIt) {
  Edit(QStringLiteral("A ;\r\n"), 0);
  Type("1");
  Press(Qt::Key_Return);
  const QString committed = box->Text();
  Type("1");
  EXPECT_EQ(box->Text(), committed);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(form->EditFlag, 0);
}

}  // namespace
