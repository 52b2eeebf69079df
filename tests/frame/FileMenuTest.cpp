// The File menu's enabling, computed as the menu opens, in each mode of the
// active editor window and for each kind of window.

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include "frame/FrameFixture.h"

namespace {

// Save, Save As, Print, Two-column print as "1" (enabled) or "0".
using Items = std::string;

class FileMenu : public FrameFixture {
 protected:
  // Opens the File menu the way the menu bar does and reads the four items.
  Items Opened() {
    emit frame->Menu("mnuFile")->aboutToShow();
    EXPECT_TRUE(frame->MenuItem("mnuFileOpen")->isEnabled());
    EXPECT_TRUE(frame->MenuItem("mnuNewProgram")->isEnabled());
    Items items;
    for (QAction* item : {frame->MenuItem("mnuOverWrite"), frame->MenuItem("mnuNameSave"), frame->MenuItem("mnuPrintNormal"),
                          frame->MenuItem("mnuPrint")})
      items += item->isEnabled() ? '1' : '0';
    return items;
  }

  static void Key(Form1* form, int qtKey, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(form->RichTextBox1, &press);
  }
};

TEST_F(FileMenu, NoWindowOffersOnlyOpenAndNew) {
  EXPECT_EQ(Opened(), "0000");
  Form1* form = OpenProgram("A.m");
  EXPECT_EQ(Opened(), "1111");
  form->close();
  FlushDeletes();
  EXPECT_EQ(frame->FormNumber, 0);
  EXPECT_EQ(Opened(), "0000");
}

TEST_F(FileMenu, ReadyWindowsByCaptionAndText) {
  const struct {
    const char* name;
    bool isNew;
    QString text;
    Items items;
  } cases[] = {
      {"new, empty", true, QString(), "0100"},
      {"new, some text", true, QStringLiteral("G01 ;\r\n"), "0111"},
      {"path, empty", false, QString(), "1100"},
      {"path, some text", false, QStringLiteral("G01 ;\r\n"), "1111"},
      {"path, only a line end", false, QStringLiteral("\r\n"), "1111"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Form1* form = c.isNew ? New() : OpenProgram("A.m", "");
    form->RichTextBox1->SetText(c.text);
    EXPECT_EQ(Opened(), c.items);
  }
}

TEST_F(FileMenu, EditingStatesAndSelectionsOfferNothing) {
  Form1* form = OpenProgram("A.m", "G01X10\r\nG00Y5\r\n");
  EXPECT_EQ(Opened(), "1111");

  Key(form, Qt::Key_G, QStringLiteral("g"));  // starts a line edit
  ASSERT_EQ(form->EditFlag, 1);
  EXPECT_EQ(Opened(), "0000");

  Key(form, Qt::Key_Return, QStringLiteral("\r"));  // commits it: confirmation
  ASSERT_EQ(form->EditFlag, 0);
  ASSERT_EQ(form->EditDoneFlag, 1);
  EXPECT_EQ(Opened(), "0000");

  Key(form, Qt::Key_Shift);  // any key ends confirmation
  ASSERT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(Opened(), "1111");

  // A drag over part of the first line widens to whole lines: range selection.
  form->RichTextBox1->SetSelStart(1);
  form->RichTextBox1->SetSelLength(2);
  form->RichTextBox1_MouseUp(1, 0, 0, 0);
  ASSERT_GT(form->RichTextBox1->SelLength(), 2);
  EXPECT_EQ(Opened(), "0000");
  form->RichTextBox1_MouseDown(1, 0, 0, 0);  // a click ends it
  EXPECT_EQ(Opened(), "1111");
}

TEST_F(FileMenu, FollowsTheActiveWindow) {
  Form1* opened = OpenProgram("A.m");
  Form1* fresh = New();
  EXPECT_EQ(Opened(), "0100");
  frame->mdiArea()->setActiveSubWindow(opened);
  EXPECT_EQ(Opened(), "1111");

  // Save As gives the new window a path, and Save with it.
  frame->mdiArea()->setActiveSubWindow(fresh);
  services.savePaths = {dir.filePath(QStringLiteral("B.m"))};
  frame->mnuNameSave_Click();
  EXPECT_EQ(Opened(), "1100");
}

}  // namespace
