#include <functional>

#include "edit/EditFixture.h"

namespace {

class EditMenuTest : public EditFixture {
 protected:
  // The five items' states as "undo redo cut copy paste", 1 enabled.
  QString Menu() {
    frame->mnuEdit_Click();
    QString states;
    for (QAction* item : {frame->MenuItem("mnuUndo"), frame->MenuItem("mnuRedo"), frame->MenuItem("mnuCut"), frame->MenuItem("mnuCopy"),
                          frame->MenuItem("mnuPaste")}) {
      states += item->isEnabled() ? u'1' : u'0';
    }
    return states;
  }
};

TEST_F(EditMenuTest, ItemsFollowTheActiveWindowsState) {
  struct Case {
    const char* state;
    std::function<void()> reach;
    const char* expected;
  };
  const Case cases[] = {
      {"nothing open, buffer full", [&] { frame->PasteText = "N1 ;\r\n"; }, "00000"},
      {"just opened", [&] { OpenNumbered(3); }, "00000"},
      {"just opened, buffer full",
       [&] {
         OpenNumbered(3);
         frame->PasteText = "N1 ;\r\n";
       },
       "00001"},
      {"lines selected", [&] { DragLines(OpenNumbered(3), 1, 2); }, "00110"},
      {"line edit", [&] { Key(OpenNumbered(3), Qt::Key_G); }, "00000"},
      {"confirmation",
       [&] {
         Form1* form = OpenNumbered(3);
         Key(form, Qt::Key_G);
         Key(form, Qt::Key_Down);
         frame->PasteText = "N1 ;\r\n";
       },
       "00000"},
      {"edit confirmed", [&] { EditLine(OpenNumbered(3), 2, Qt::Key_G); }, "10000"},
      {"undone",
       [&] {
         EditLine(OpenNumbered(3), 2, Qt::Key_G);
         frame->mnuUndo_Click();
       },
       "01000"},
      {"redone",
       [&] {
         EditLine(OpenNumbered(3), 2, Qt::Key_G);
         frame->mnuUndo_Click();
         frame->mnuRedo_Click();
       },
       "10000"},
      {"right after a paste",
       [&] {
         Form1* form = OpenNumbered(3);
         DragLines(form, 1, 1);
         frame->mnuCopy_Click();
         CaretTo(form, 3);
         frame->mnuPaste_Click();
       },
       "00110"},
  };
  for (const Case& c : cases) {
    frame = std::make_unique<MDIForm1>(services);
    frame->show();
    c.reach();
    EXPECT_EQ(Menu(), QString::fromLatin1(c.expected)) << c.state;
  }
}

TEST_F(EditMenuTest, MoveLeftCarriesTheUndoState) {
  Form1* older = OpenNumbered(3);
  Open("G01\r\n");
  older->SetFocus();
  EditLine(older, 2, Qt::Key_G);
  const QString edited = older->RichTextBox1->Text();

  frame->mnuLeft_Click();
  Form1* recreated = frame->ActiveForm();
  ASSERT_EQ(recreated, frame->LastForm());
  EXPECT_EQ(recreated->RichTextBox1->Text(), edited);
  EXPECT_EQ(Menu(), QStringLiteral("10000"));
  frame->mnuUndo_Click();
  EXPECT_EQ(recreated->RichTextBox1->Text(), NumberedLines(1, 3));
}

}  // namespace
