// File ▸ Open and File ▸ New: the dialog, the file examples, failures.

#include <QAction>
#include <QMenuBar>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include "files/ProgramFile.h"
#include "frame/FrameFixture.h"
#include "platform/DrawingLock.h"
#include "platform/LongOperation.h"
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

// A program of 60 MB: read in many blocks, over at least two of the long
// operation's slices of time.
QByteArray LargeProgram() {
  return QByteArray("G01X10.5Y-20.25F1200\r\n").repeated((60 << 20) / 22);
}

// Runs `during` at each turn of the event loop that an open's reading takes
// once its progress box shows. The first turn without the box sleeps past
// the box's delay, so that it shows at the next turn.
class ReadingTurns {
 public:
  ReadingTurns(QWidget* frame, std::function<void(QProgressDialog*)> during) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this, frame, during] {
      if (!LongOperation::Running()) return;
      ++turns;
      auto* box = frame->findChild<QProgressDialog*>();
      if (box && box->isVisible()) {
        lastLabel = box->labelText();
        title = box->windowTitle();
        during(box);
      } else {
        QThread::msleep(LongOperation::kProgressAfterMs + 50);
      }
    });
    timer_.start();
  }
  int turns = 0;
  QString lastLabel;
  QString title;

 private:
  QTimer timer_;
};

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

// The file is read outside the drawing lock, with the frame's controls off
// and no other file command starting; the box's "中止" gives no window and a
// report, and a frame closed meanwhile gets neither.
TEST_F(OpenNew, LongReadPaintsTheFrameAndCanBeCancelled) {
  Form1* a = OpenProgram("A.m");
  const QString large = WriteFile(QStringLiteral("L.m"), LargeProgram());
  const QString small = WriteFile(QStringLiteral("S.m"), "G01X1\r\n");
  bool lockedOrOn = false;
  auto turns = std::make_unique<ReadingTurns>(frame.get(), [&](QProgressDialog* box) {
    lockedOrOn = lockedOrOn || IsDrawingLocked() || frame->MenuItem("mnuFileOpen")->isEnabled();
    frame->mnuFileOpen_Click();
    frame->mnuNewProgram_Click();
    frame->OpenFromOutside({small});
    box->cancel();
  });
  Open(large);
  EXPECT_GE(turns->turns, 2);
  EXPECT_FALSE(lockedOrOn);
  EXPECT_EQ(turns->title, QStringLiteral("開く"));
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^読み込み中… \\d+ %$")).match(turns->lastLabel).hasMatch())
      << turns->lastLabel.toStdString();
  turns.reset();
  EXPECT_EQ(frame->Forms(), QList<Form1*>{a}) << "a command ran inside the open";
  EXPECT_EQ(services.openCalls.size(), 2u);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt,
            large + QStringLiteral("\r\n\r\n上記のファイルを開くのを中止しました。"));
  EXPECT_EQ(services.messages[0].style, 64);
  EXPECT_EQ(services.messages[0].title, QStringLiteral("報告"));
  EXPECT_EQ(frame->findChild<QProgressDialog*>(), nullptr);
  EXPECT_EQ(ControlsOutOfStep(*frame), QString());
  EXPECT_FALSE(IsDrawingLocked());
  EXPECT_FALSE(LongOperation::Running());
  // The file handed over meanwhile opens once the command has ended.
  EXPECT_TRUE(QTest::qWaitFor([&] { return frame->FormNumber == 2; }, 5000));
  EXPECT_EQ(frame->LastForm()->Caption(), small);

  // Closed meanwhile: no window, nothing shown.
  services.messages.clear();
  ReadingTurns closing(frame.get(), [&](QProgressDialog*) { frame->close(); });
  Open(large);
  FlushDeletes();
  for (Form1* form : frame->Forms()) EXPECT_NE(form->Caption(), large);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_FALSE(LongOperation::Running());
  EXPECT_EQ(ControlsOutOfStep(*frame), QString());
}

}  // namespace
