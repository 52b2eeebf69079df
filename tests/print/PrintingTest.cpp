// File ▸ Print and Two-column print through the frame, on the recording
// printer: what the job receives, the page set-up, the reports and the focus.

#include <QMdiArea>

#include "frame/FrameFixture.h"
#include "platform/Services.h"

namespace {

using Printing = FrameFixture;

const QString kCanonical = QStringLiteral("A ;\r\nB ;\r\nC ;\r\nD ;\r\n");

TEST_F(Printing, PrintSendsTheTextAsItStands) {
  Form1* form = OpenProgram("A.m", "A\r\nB\r\nC\r\nD\r\n");
  ASSERT_EQ(form->RichTextBox1->Text(), kCanonical);
  frame->mnuPrintNormal_Click();
  ASSERT_EQ(services.jobs.size(), 1u);
  const PrintJob& job = *services.jobs[0];
  EXPECT_EQ(job.printed, QStringList{kCanonical});
  EXPECT_TRUE(job.ended);
  EXPECT_TRUE(job.fontName.isEmpty()) << "the printer's own font";
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].prompt, QStringLiteral("印刷しました。"));
  EXPECT_EQ(services.messages[0].style, 64);
  EXPECT_EQ(services.messages[0].title, QStringLiteral("報告"));
}

TEST_F(Printing, TwoColumnPrintSetsThePageAndListsInColumns) {
  // Three rows of 20 down, six spaces of 10 across: column width 3.
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
  EXPECT_EQ(job.printed, QStringList{QStringLiteral("A  D \r\nB  \r\nC  ")});
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

}  // namespace
