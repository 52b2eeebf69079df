// File ▸ Open and File ▸ New: the dialog, the file examples, failures.

#include <QAction>
#include <QMenuBar>

#include "files/ProgramFile.h"
#include "frame/FrameFixture.h"
#include "platform/DrawingLock.h"
#include "platform/Services.h"
#include "testkit/FrameChecks.h"

namespace {

using OpenNew = FrameFixture;

bool AnyMenuEnabled(const MDIForm1& frame) {
  for (QAction* top : frame.menuBar()->actions()) {
    if (top->isEnabled()) return true;
    for (QAction* item : top->menu()->actions())
      if (item->isEnabled()) return true;
  }
  return false;
}

TEST_F(OpenNew, FileContentsBecomeCanonicalText) {
  const struct {
    const char* name;
    QByteArray file;
    QString text;
  } cases[] = {
      {"two lines", "G01X10\r\nG00Y5\r\n", "G01 X10 ;\r\nG00 Y5 ;\r\n"},
      {"last line open", "G01X10\r\nG00Y5", "G01 X10 ;\r\nG00 Y5"},
      {"empty line", "A\r\n\r\nB\r\n", "A ;\r\n ;\r\nB ;\r\n"},
      {"line ending in ;", "G01X10;\r\n", "G01 X10 ;\r\n ;\r\n"},
      {"lower case, spaces", "g01 x10\r\n", "G01 X10 ;\r\n"},
      // A bare LF ends no statement and does not clear the digit flag either.
      {"bare LF", "G01X10\nG00Y5\n", "G01 X10\n G00 Y5\n"},
      {"CR before CR LF", "A1\r\r\nB", "A1\r ;\r\nB"},
      {"empty file", "", ""},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = WriteFile(QStringLiteral("P%1.m").arg(n++), c.file);
    Form1* form = Open(path);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->Caption(), path);
    EXPECT_EQ(form->RichTextBox1->Text(), c.text);
    EXPECT_EQ(form->UndoText.toString(), c.text);
    EXPECT_EQ(form->UndoStartPos, 0);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(frame->ActiveForm(), form);
    EXPECT_EQ(frame->FormNumber, n);
  }
  EXPECT_TRUE(services.messages.empty()) << "success shows no message";
}

TEST_F(OpenNew, DialogIsSetForProgramFilesThatExist) {
  frame->CommonDialog1.FileName = QStringLiteral("stale");
  frame->mnuFileOpen_Click();
  ASSERT_EQ(services.openCalls.size(), 1u);
  EXPECT_EQ(services.openCalls[0].filter, QStringLiteral("ﾒｲﾝ(*.m),ﾊﾞｯｸ(*.s)|*.m;*.s"));
  EXPECT_EQ(services.openCalls[0].flags, 4096);
}

TEST_F(OpenNew, CancelledDialogChangesNothing) {
  Form1* a = OpenProgram("A.m");
  frame->mnuFileOpen_Click();  // the script answers "": cancelled
  EXPECT_EQ(frame->FormNumber, 1);
  EXPECT_EQ(frame->Forms(), QList<Form1*>{a});
  EXPECT_EQ(frame->LastForm(), a);
  EXPECT_EQ(ControlsOutOfStep(*frame), QString());
  EXPECT_FALSE(IsDrawingLocked());
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(OpenNew, ControlsAreOffAndDrawingLockedWhileTheDialogIsUp) {
  bool seen = false;
  services.onDialog = [&] {
    seen = true;
    EXPECT_FALSE(AnyMenuEnabled(*frame));
    EXPECT_TRUE(IsDrawingLocked());
  };
  OpenProgram("A.m");
  ASSERT_TRUE(seen);
  EXPECT_EQ(ControlsOutOfStep(*frame), QString());
  EXPECT_FALSE(IsDrawingLocked());
}

TEST_F(OpenNew, JapaneseCommentsDecodeFromCp932) {
  // "G01(あｱ漢)" in CP932: あ 82 A0, half-width ｱ B1, 漢 8A BF.
  Form1* form = OpenProgram("J.m", QByteArray("G01(\x82\xa0\xb1\x8a\xbf)\r\n"));
  EXPECT_EQ(form->RichTextBox1->Text(), QStringLiteral("G01(あｱ漢) ;\r\n"));
}

TEST_F(OpenNew, BadBytesSurviveAsLoneSurrogates) {
  // 0x80 and 0xFF are no CP932 characters.
  Form1* form = OpenProgram("B.m", QByteArray("X1\x80Y2\xff\r\n"));
  const QString text = form->RichTextBox1->Text();
  EXPECT_EQ(text, QStringLiteral("X1") + QChar(0xDC80) + QStringLiteral(" Y2") + QChar(0xDCFF) +
                      QStringLiteral(" ;\r\n"));
}

TEST_F(OpenNew, UnreadableFileIsReportedAndMakesNoWindow) {
  Form1* a = OpenProgram("A.m");
  const QString missing = dir.filePath(QStringLiteral("gone.m"));
  const QString folder = dir.filePath(QStringLiteral("folder.m"));
  ASSERT_TRUE(QDir().mkpath(folder));
  for (const QString& path : {missing, folder}) {
    SCOPED_TRACE(path.toStdString());
    services.messages.clear();
    Open(path);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt,
              path + QStringLiteral("\r\n\r\n上記のファイルを開けませんでした。"));
    EXPECT_EQ(services.messages[0].style, 64);
    EXPECT_EQ(services.messages[0].title, QStringLiteral("報告"));
    EXPECT_EQ(frame->FormNumber, 1);
    EXPECT_EQ(frame->Forms(), QList<Form1*>{a});
    EXPECT_EQ(ControlsOutOfStep(*frame), QString());
    EXPECT_FALSE(IsDrawingLocked());
  }
}

TEST_F(OpenNew, SameFileTwiceGivesTwoIndependentWindows) {
  const QString path = WriteFile(QStringLiteral("A.m"), "G01X10\r\n");
  Form1* first = Open(path);
  Form1* second = Open(path);
  EXPECT_NE(first, second);
  EXPECT_EQ(first->Caption(), second->Caption());
  EXPECT_EQ(frame->FormNumber, 2);
}

TEST_F(OpenNew, NewWindowsAreEmptyAndCaptionedAlike) {
  Form1* a = New();
  Form1* b = New();
  for (Form1* form : {a, b}) {
    EXPECT_EQ(form->Caption(), QStringLiteral("新規"));
    EXPECT_TRUE(form->RichTextBox1->Text().isEmpty());
    EXPECT_TRUE(form->UndoText.isEmpty());
    EXPECT_TRUE(form->Visible());
  }
  EXPECT_EQ(frame->FormNumber, 2);
  EXPECT_EQ(frame->ActiveForm(), b);
  EXPECT_EQ(b->geometry().topLeft(), QPoint(0, 0));
  EXPECT_EQ(ControlsOutOfStep(*frame), QString());
  EXPECT_FALSE(IsDrawingLocked());
}

}  // namespace
