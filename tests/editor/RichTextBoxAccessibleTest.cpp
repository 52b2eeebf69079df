// What assistive technology reads from an editor window's text control through
// Qt's accessibility: text, caret, selection, lines, name and mode, geometry,
// and the events of every change, with programs opened and edited as a user
// does it.

#include <QAccessible>
#include <QAccessibleWidget>
#include <vector>

#include "control/RichTextBoxAccessible.h"
#include "edit/EditFixture.h"
#include "editor/ModeTexts.h"

namespace {

struct Seen {
  QAccessible::Event type = QAccessible::InvalidEvent;
  int position = -1;  // change position, or the cursor for caret and selection events
  QString removed;
  QString inserted;
  int selectionStart = -1;
  int selectionEnd = -1;
};

std::vector<Seen> seen;

void Record(QAccessibleEvent* event) {
  Seen s;
  s.type = event->type();
  switch (event->type()) {
    case QAccessible::TextInserted: {
      auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
      s.position = e->changePosition();
      s.inserted = e->textInserted();
      break;
    }
    case QAccessible::TextRemoved: {
      auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
      s.position = e->changePosition();
      s.removed = e->textRemoved();
      break;
    }
    case QAccessible::TextUpdated: {
      auto* e = static_cast<QAccessibleTextUpdateEvent*>(event);
      s.position = e->changePosition();
      s.removed = e->textRemoved();
      s.inserted = e->textInserted();
      break;
    }
    case QAccessible::TextSelectionChanged: {
      auto* e = static_cast<QAccessibleTextSelectionEvent*>(event);
      s.position = e->cursorPosition();
      s.selectionStart = e->selectionStart();
      s.selectionEnd = e->selectionEnd();
      break;
    }
    case QAccessible::TextCaretMoved:
      s.position = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
      break;
    default:
      break;
  }
  seen.push_back(s);
}

class RichTextBoxAccessibleTest : public EditFixture {
 protected:
  void SetUp() override {
    EditFixture::SetUp();
    seen.clear();
  }
  void TearDown() override {
    RichTextBoxAccessible::SetObserver(nullptr);
    EditFixture::TearDown();
  }

  static QAccessibleInterface* Accessible(Form1* form) {
    return QAccessible::queryAccessibleInterface(form->RichTextBox1);
  }
  static QAccessibleTextInterface* Text(Form1* form) {
    QAccessibleInterface* iface = Accessible(form);
    return iface ? iface->textInterface() : nullptr;
  }
  static QString WholeText(QAccessibleTextInterface* text) {
    return text->text(0, text->characterCount());
  }
  // The events seen of one type, once the control has told where the caret
  // and the selection ended up.
  static std::vector<Seen> Of(QAccessible::Event type) {
    QCoreApplication::sendPostedEvents();
    std::vector<Seen> out;
    for (const Seen& s : seen) {
      if (s.type == type) out.push_back(s);
    }
    return out;
  }
};

TEST_F(RichTextBoxAccessibleTest, OpenedProgramIsAnEditableTextNamedByItsPath) {
  Form1* form = Open("G01X10\r\nM30\r\n");
  QAccessibleInterface* iface = Accessible(form);
  ASSERT_NE(iface, nullptr);
  EXPECT_NE(dynamic_cast<RichTextBoxAccessible*>(iface), nullptr);
  EXPECT_EQ(iface->role(), QAccessible::EditableText);
  const QAccessible::State state = iface->state();
  EXPECT_TRUE(state.editable);
  EXPECT_TRUE(state.focusable);
  EXPECT_TRUE(state.multiLine);
  EXPECT_EQ(iface->text(QAccessible::Name), form->Caption());
  EXPECT_TRUE(form->Caption().endsWith(QStringLiteral(".m")));
  EXPECT_EQ(iface->text(QAccessible::Description), ModeTexts::kBrowse);

  QAccessibleTextInterface* text = Text(form);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(WholeText(text), QStringLiteral("G01 X10 ;\r\nM30 ;\r\n"));
  EXPECT_EQ(text->characterCount(), 18);
  EXPECT_EQ(text->cursorPosition(), form->RichTextBox1->SelStart());
  EXPECT_EQ(text->text(4, 7), QStringLiteral("X10"));
  EXPECT_EQ(text->selectionCount(), 0);

  // A new program is named like its caption too.
  frame->mnuNewProgram_Click();
  EXPECT_EQ(Accessible(frame->ActiveForm())->text(QAccessible::Name), QStringLiteral("新規"));
}

TEST_F(RichTextBoxAccessibleTest, LineEditCommitAndUndoAsTheClientSeesThem) {
  Form1* form = OpenNumbered(3);
  RichTextBox& box = *form->RichTextBox1;
  QAccessibleInterface* iface = Accessible(form);
  QAccessibleTextInterface* text = Text(form);
  RichTextBoxAccessible::SetObserver(Record);
  const QString opened = box.Text();

  CaretTo(form, 2, 2);  // after "N2"
  EXPECT_EQ(text->cursorPosition(), 8);
  ASSERT_FALSE(Of(QAccessible::TextCaretMoved).empty());
  EXPECT_EQ(Of(QAccessible::TextCaretMoved).back().position, 8);

  seen.clear();
  Key(form, Qt::Key_G);
  EXPECT_EQ(iface->text(QAccessible::Description), ModeTexts::kLineEdit);
  EXPECT_EQ(WholeText(text), QStringLiteral("N1 ;\r\nN2G ;\r\nN3 ;\r\n"));
  EXPECT_EQ(text->cursorPosition(), 9);
  const std::vector<Seen> typed = Of(QAccessible::TextInserted);
  ASSERT_EQ(typed.size(), 1u);
  EXPECT_EQ(typed[0].position, 8);
  EXPECT_EQ(typed[0].inserted, QStringLiteral("G"));
  EXPECT_TRUE(Of(QAccessible::TextRemoved).empty());
  // The line was selected to colour it, but only the caret behind the typed
  // letter is told.
  EXPECT_TRUE(Of(QAccessible::TextSelectionChanged).empty());
  const std::vector<Seen> moves = Of(QAccessible::TextCaretMoved);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].position, 9);

  // Enter commits: the old line goes, its canonical form comes in its place.
  seen.clear();
  Key(form, Qt::Key_Return);
  EXPECT_EQ(iface->text(QAccessible::Description), ModeTexts::kConfirmation);
  EXPECT_EQ(WholeText(text), box.Text());
  EXPECT_EQ(WholeText(text), QStringLiteral("N1 ;\r\nN2 G ;\r\nN3 ;\r\n"));
  EXPECT_EQ(text->cursorPosition(), 14);
  const std::vector<Seen> removed = Of(QAccessible::TextRemoved);
  const std::vector<Seen> inserted = Of(QAccessible::TextInserted);
  ASSERT_EQ(removed.size(), 1u);
  ASSERT_EQ(inserted.size(), 1u);
  EXPECT_EQ(removed[0].position, 6);
  EXPECT_EQ(removed[0].removed, QStringLiteral("N2G ;\r\n"));
  EXPECT_EQ(inserted[0].position, 6);
  EXPECT_EQ(inserted[0].inserted, QStringLiteral("N2 G ;\r\n"));
  EXPECT_EQ(Of(QAccessible::TextCaretMoved).back().position, 14);

  Key(form, Qt::Key_Shift);
  EXPECT_EQ(iface->text(QAccessible::Description), ModeTexts::kBrowse);

  // Undo replaces the whole text at once; the event tells the stretch that
  // differs, which turns the client's copy into the restored text.
  seen.clear();
  const QString edited = box.Text();
  frame->mnuUndo_Click();
  EXPECT_EQ(WholeText(text), opened);
  EXPECT_EQ(text->cursorPosition(), box.SelStart());
  const std::vector<Seen> updated = Of(QAccessible::TextUpdated);
  ASSERT_EQ(updated.size(), 1u);
  EXPECT_EQ(updated[0].position, 9);
  EXPECT_EQ(updated[0].removed, QStringLiteral("G "));
  EXPECT_EQ(updated[0].inserted, QString());
  EXPECT_EQ(QString(edited).replace(updated[0].position, updated[0].removed.size(),
                                    updated[0].inserted),
            opened);

  // Redo puts the edited line back the same way.
  seen.clear();
  frame->mnuRedo_Click();
  const std::vector<Seen> redone = Of(QAccessible::TextUpdated);
  ASSERT_EQ(redone.size(), 1u);
  EXPECT_EQ(redone[0].position, 9);
  EXPECT_EQ(redone[0].removed, QString());
  EXPECT_EQ(redone[0].inserted, QStringLiteral("G "));
  EXPECT_EQ(Of(QAccessible::TextCaretMoved).back().position, box.SelStart());
}

// Opening and move-left fill a control before it shows: nothing is announced,
// and the client reads the text from the window that appears.
TEST_F(RichTextBoxAccessibleTest, ProgramsFilledBeforeTheyShowAreReadNotAnnounced) {
  RichTextBoxAccessible::SetObserver(Record);
  Form1* first = OpenNumbered(2);
  OpenNumbered(3);
  first->SetFocus();
  frame->mnuLeft_Click();
  Form1* moved = frame->LastForm();
  ASSERT_NE(moved, first);
  EXPECT_EQ(WholeText(Text(moved)), QStringLiteral("N1 ;\r\nN2 ;\r\n"));
  EXPECT_TRUE(Of(QAccessible::TextUpdated).empty());
  EXPECT_TRUE(Of(QAccessible::TextInserted).empty());
}

TEST_F(RichTextBoxAccessibleTest, MouseRangeSelectionIsTheOneSelection) {
  Form1* form = OpenNumbered(4);
  RichTextBox& box = *form->RichTextBox1;
  QAccessibleTextInterface* text = Text(form);
  RichTextBoxAccessible::SetObserver(Record);

  DragLines(form, 2, 3);
  ASSERT_EQ(box.SelText(), NumberedLines(2, 3));
  EXPECT_EQ(Accessible(form)->text(QAccessible::Description), ModeTexts::kRangeSelection);
  ASSERT_EQ(text->selectionCount(), 1);
  int start = -1;
  int end = -1;
  text->selection(0, &start, &end);
  EXPECT_EQ(start, 6);
  EXPECT_EQ(end, 18);
  const std::vector<Seen> selections = Of(QAccessible::TextSelectionChanged);
  ASSERT_FALSE(selections.empty());
  EXPECT_EQ(selections.back().selectionStart, 6);
  EXPECT_EQ(selections.back().selectionEnd, 18);

  // Only selection 0 exists.
  text->selection(1, &start, &end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 0);
}

TEST_F(RichTextBoxAccessibleTest, ClientMovesCaretAndSelectionOnlyWhileTheMouseMay) {
  Form1* form = OpenNumbered(3);
  RichTextBox& box = *form->RichTextBox1;
  QAccessibleTextInterface* text = Text(form);
  RichTextBoxAccessible::SetObserver(Record);

  text->setCursorPosition(10);  // between CR and LF: stays before the pair
  EXPECT_EQ(box.SelStart(), 10);
  text->setCursorPosition(11);
  EXPECT_EQ(box.SelStart(), 10);
  text->setSelection(0, 12, 6);  // the caret at the start, as the client asked
  EXPECT_EQ(box.SelStart(), 6);
  EXPECT_EQ(box.SelLength(), 6);
  EXPECT_EQ(text->cursorPosition(), 6);
  EXPECT_EQ(Of(QAccessible::TextSelectionChanged).back().selectionEnd, 12);
  text->removeSelection(0);
  EXPECT_EQ(box.SelLength(), 0);
  EXPECT_EQ(box.SelStart(), 6);
  text->addSelection(0, 4);
  EXPECT_EQ(box.SelText(), QStringLiteral("N1 ;"));

  // In a line edit the caret stays where the keys put it.
  text->setCursorPosition(6);
  Key(form, Qt::Key_X);
  ASSERT_EQ(form->EditFlag, 1);
  const int32_t caret = box.SelStart();
  text->setCursorPosition(0);
  text->setSelection(0, 0, 4);
  EXPECT_EQ(box.SelStart(), caret);
  EXPECT_EQ(box.SelLength(), 0);
}

TEST_F(RichTextBoxAccessibleTest, TextAroundAnOffset) {
  Form1* form = Open("G01X10\r\nM30\r\n");
  QAccessibleTextInterface* text = Text(form);
  // "G01 X10 ;\r\n" is [0, 11), "M30 ;\r\n" [11, 18), the empty last line [18, 18).
  const QString first = QStringLiteral("G01 X10 ;\r\n");
  const QString second = QStringLiteral("M30 ;\r\n");
  struct Case {
    int step;  // -1 before, 0 at, 1 after
    int offset;
    QAccessible::TextBoundaryType boundary;
    QString expected;
    int start;
    int end;
  };
  const Case cases[] = {
      {0, 0, QAccessible::LineBoundary, first, 0, 11},
      {0, 9, QAccessible::LineBoundary, first, 0, 11},   // the CR
      {0, 10, QAccessible::LineBoundary, first, 0, 11},  // the LF
      {0, 11, QAccessible::LineBoundary, second, 11, 18},
      {0, 18, QAccessible::LineBoundary, QString(), 18, 18},
      {0, -1, QAccessible::LineBoundary, QString(), 18, 18},  // -1: the end
      {0, 19, QAccessible::LineBoundary, QString(), -1, -1},
      {-1, 11, QAccessible::LineBoundary, first, 0, 11},
      {-1, 3, QAccessible::LineBoundary, QString(), -1, -1},
      {1, 3, QAccessible::LineBoundary, second, 11, 18},
      {1, 18, QAccessible::LineBoundary, QString(), -1, -1},
      {0, 12, QAccessible::ParagraphBoundary, second, 11, 18},
      {0, 4, QAccessible::CharBoundary, QStringLiteral("X"), 4, 5},
      {1, 4, QAccessible::CharBoundary, QStringLiteral("1"), 5, 6},
      {0, 5, QAccessible::WordBoundary, QStringLiteral("X10"), 4, 7},
      {0, 12, QAccessible::WordBoundary, QStringLiteral("M30"), 11, 14},
      {0, 3, QAccessible::NoBoundary, first + second, 0, 18},
  };
  for (const Case& c : cases) {
    int start = -2;
    int end = -2;
    QString got;
    if (c.step < 0) {
      got = text->textBeforeOffset(c.offset, c.boundary, &start, &end);
    } else if (c.step > 0) {
      got = text->textAfterOffset(c.offset, c.boundary, &start, &end);
    } else {
      got = text->textAtOffset(c.offset, c.boundary, &start, &end);
    }
    const std::string where = "step " + std::to_string(c.step) + " offset " +
                              std::to_string(c.offset) + " boundary " +
                              std::to_string(c.boundary);
    EXPECT_EQ(got, c.expected) << where;
    EXPECT_EQ(start, c.start) << where;
    EXPECT_EQ(end, c.end) << where;
  }
}

TEST_F(RichTextBoxAccessibleTest, CharacterRectanglesAndPointsAgree) {
  frame->mnuNewProgram_Click();
  Form1* form = frame->ActiveForm();
  RichTextBox& box = *form->RichTextBox1;
  box.SetText(QStringLiteral("G01 X10 ;\r\nＡＢ ;\r\nM30 ;\r\n"));
  QAccessibleTextInterface* text = Text(form);
  for (const int offset : {0, 1, 4, 8, 11, 12, 13, 20}) {
    const QRect rect = text->characterRect(offset);
    ASSERT_TRUE(rect.isValid()) << offset;
    EXPECT_EQ(text->offsetAtPoint(rect.center()), offset) << offset;
  }
  // Full-width characters are wider, and lines go down the control.
  EXPECT_GT(text->characterRect(11).width(), text->characterRect(0).width());
  EXPECT_GT(text->characterRect(11).top(), text->characterRect(0).top());
  // The line break and the end of the text still have a place for the caret.
  EXPECT_TRUE(text->characterRect(9).isValid());
  EXPECT_TRUE(text->characterRect(box.Text().size()).isValid());
  EXPECT_FALSE(text->characterRect(-1).isValid());
  // Outside the text area there is no character.
  const QPoint outside = box.viewport()->mapToGlobal(QPoint(-5, -5));
  EXPECT_EQ(text->offsetAtPoint(outside), -1);
}

TEST_F(RichTextBoxAccessibleTest, ColourRunsAreTextAttributes) {
  Form1* form = OpenNumbered(3);
  QAccessibleTextInterface* text = Text(form);
  CaretTo(form, 2, 2);
  Key(form, Qt::Key_G);  // line 2 turns red
  int start = -1;
  int end = -1;
  EXPECT_EQ(text->attributes(7, &start, &end), QStringLiteral("color:rgb(255,64,64);"));
  EXPECT_EQ(start, 6);
  EXPECT_EQ(end, 13);
  EXPECT_EQ(text->attributes(1, &start, &end), QStringLiteral("color:rgb(0,0,0);"));
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 6);
}

}  // namespace
