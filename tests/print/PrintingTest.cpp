// File ▸ Print and Two-column print through the frame, on the recording
// printer: what the job receives, the page set-up, the reports and the focus,
// and a long print's progress box: Cancel, and windows closed meanwhile.

#include <QAction>
#include <QMdiArea>
#include <QProgressDialog>
#include <QThread>

#include "frame/FrameFixture.h"
#include "platform/Services.h"

namespace {

using Printing = FrameFixture;

const QString kCanonical = QStringLiteral("A ;\r\nB ;\r\nC ;\r\nD ;\r\n");

QStringList Texts(const QList<PrintedText>& page) {
  QStringList texts;
  for (const PrintedText& row : page) texts << QStringLiteral("%1,%2 %3").arg(row.x).arg(row.y).arg(row.text);
  return texts;
}

TEST_F(Printing, PrintSendsTheLinesAsTheyStand) {
  Form1* form = OpenProgram("A.m", "A\r\nB\r\nC\r\nD\r\n");
  ASSERT_EQ(form->RichTextBox1->Text(), kCanonical);
  frame->mnuPrintNormal_Click();
  ASSERT_EQ(services.jobs.size(), 1u);
  const PrintJob& job = *services.jobs[0];
  ASSERT_EQ(job.pages.size(), 1);
  EXPECT_EQ(Texts(job.pages[0]), (QStringList{"0,0 A ;", "0,20 B ;", "0,40 C ;", "0,60 D ;"}));
  EXPECT_TRUE(job.ended);
  EXPECT_TRUE(job.fontName.isEmpty()) << "the printer's own font";
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, QStringLiteral("印刷しました。"));
  EXPECT_EQ(services.messages[0].style, 64);
  EXPECT_EQ(services.messages[0].title, QStringLiteral("報告"));
}

TEST_F(Printing, TwoColumnPrintSetsThePageAndListsInColumns) {
  // Three rows of 20 down, six spaces of 10 across: the right column at 30.
  services.pageWidth = 60;
  services.pageHeight = 60;
  services.charWidth = 10;
  services.charHeight = 20;
  Form1* form = OpenProgram("A.m", "A\r\nB\r\nC\r\nD\r\n");
  frame->mnuPrint_Click();
  ASSERT_EQ(services.jobs.size(), 1u);
  const PrintJob& job = *services.jobs[0];
  EXPECT_EQ(job.fontName, QStringLiteral("ＭＳ ゴシック"));
  EXPECT_EQ(job.fontSize, 14);
  EXPECT_EQ(job.orientation, 1);
  EXPECT_EQ(job.colorMode, 1);
  EXPECT_EQ(job.duplex, 1);
  ASSERT_EQ(job.pages.size(), 1);
  EXPECT_EQ(Texts(job.pages[0]), (QStringList{"0,0 A", "0,20 B", "0,40 C", "30,0 D"}));
  EXPECT_TRUE(job.ended);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, QStringLiteral("印刷しました。"));
  EXPECT_EQ(form->RichTextBox1->Text(), kCanonical);
}

TEST_F(Printing, WithoutPrinterTheFailureIsReported) {
  OpenProgram("A.m");
  services.printerAvailable = false;
  frame->mnuPrintNormal_Click();
  frame->mnuPrint_Click();
  ASSERT_EQ(services.messages.size(), 2u);
  for (const ShownMessage& m : services.messages) {
    EXPECT_EQ(m.prompt, QStringLiteral("印刷できませんでした。"));
    EXPECT_EQ(m.style, 64);
    EXPECT_EQ(m.title, QStringLiteral("報告"));
  }
  for (const auto& job : services.jobs) EXPECT_FALSE(job->ended);
}

TEST_F(Printing, FocusReturnsToThePrintedWindow) {
  Form1* a = OpenProgram("A.m");
  Form1* b = OpenProgram("B.m");
  services.onMessage = [&](const ShownMessage&) { frame->mdiArea()->setActiveSubWindow(b); };
  for (void (MDIForm1::*command)() : {&MDIForm1::mnuPrintNormal_Click, &MDIForm1::mnuPrint_Click}) {
    frame->mdiArea()->setActiveSubWindow(a);
    (frame.get()->*command)();
    EXPECT_EQ(frame->ActiveForm(), a);
  }
}


// A print that takes a while: each line 3 ms on a program of 400 lines,
// five to a page.
class SlowPrinting : public Printing {
 protected:
  Form1* OpenLongProgram() {
    QByteArray program;
    for (int n = 1; n <= 400; ++n) program += "G01X" + QByteArray::number(n) + "\r\n";
    services.pageHeight = 100;  // five rows a page
    return OpenProgram("A.m", program);
  }
  // Runs `during` after each line once the progress box shows.
  void SlowDown(const std::function<void(QProgressDialog*)>& during) {
    services.onPrint = [this, during] {
      QThread::msleep(3);
      controlsWereOff = controlsWereOff && !frame->MenuItem("mnuFileOpen")->isEnabled();
      auto* box = frame->findChild<QProgressDialog*>();
      if (box && box->isVisible()) {
        EXPECT_EQ(box->parentWidget(), frame.get());
        EXPECT_EQ(box->labelText().left(4), QStringLiteral("印刷中…"));
        during(box);
      }
    };
  }
  bool controlsWereOff = true;
};

TEST_F(SlowPrinting, CancelAbandonsTheJobAndReportsIt) {
  OpenLongProgram();
  bool shown = false;
  SlowDown([&](QProgressDialog* box) {
    shown = true;
    box->cancel();
  });
  frame->mnuPrint_Click();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(controlsWereOff);
  ASSERT_EQ(services.jobs.size(), 1u);
  EXPECT_TRUE(services.jobs[0]->aborted);
  EXPECT_FALSE(services.jobs[0]->ended);
  EXPECT_LT(services.jobs[0]->pages.size(), 400 / 10);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, QStringLiteral("印刷を中止しました。"));
  EXPECT_EQ(services.messages[0].style, 64);
  EXPECT_EQ(services.messages[0].title, QStringLiteral("報告"));
  EXPECT_EQ(frame->findChild<QProgressDialog*>(), nullptr);
  EXPECT_TRUE(frame->MenuItem("mnuFileOpen")->isEnabled());
}

TEST_F(SlowPrinting, ClosingThePrintedWindowOrTheFrameMeanwhileIsSafe) {
  // The window's text was taken when the print began: it prints whole.
  const QPointer<Form1> form = OpenLongProgram();
  SlowDown([&](QProgressDialog*) {
    if (form) form->close();
  });
  frame->mnuPrintNormal_Click();
  FlushDeletes();
  ASSERT_EQ(services.jobs.size(), 1u);
  EXPECT_TRUE(services.jobs[0]->ended);
  EXPECT_EQ(services.jobs[0]->pages.size(), 400 / 5);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, QStringLiteral("印刷しました。"));

  // A closed frame abandons the job and shows nothing more.
  OpenLongProgram();
  SlowDown([&](QProgressDialog*) { frame->close(); });
  frame->mnuPrint_Click();
  ASSERT_EQ(services.jobs.size(), 2u);
  EXPECT_TRUE(services.jobs[1]->aborted);
  EXPECT_EQ(services.messages.size(), 1u);

  // Closed while the finished job goes to its queue: the job is sent, and
  // nothing more shows. The progress box has gone before, as nothing is
  // left to cancel.
  frame->show();
  OpenLongProgram();
  SlowDown([](QProgressDialog*) {});
  bool boxShownAtEnd = true;
  services.onEnd = [&] {
    boxShownAtEnd = frame->findChild<QProgressDialog*>() != nullptr;
    frame->close();
  };
  frame->mnuPrint_Click();
  ASSERT_EQ(services.jobs.size(), 3u);
  EXPECT_TRUE(services.jobs[2]->ended);
  EXPECT_FALSE(services.jobs[2]->aborted);
  EXPECT_FALSE(boxShownAtEnd);
  EXPECT_EQ(services.messages.size(), 1u);
}

}  // namespace
