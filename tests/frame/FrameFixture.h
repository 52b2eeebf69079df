#pragma once
// A shown frame with scripted services and a temporary folder for program
// files, shared by the frame, editor and file tests.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "testkit/ScriptedServices.h"

class FrameFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    frame = std::make_unique<MDIForm1>(services);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  }

  void TearDown() override {
    frame.reset();
    FlushDeletes();
  }

  // Runs the deletions that closing windows has scheduled.
  static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  QString WriteFile(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  // File ▸ Open with the dialog answering `path`; the window it made, if any.
  Form1* Open(const QString& path) {
    services.openPaths.push_back(path);
    frame->mnuFileOpen_Click();
    return frame->LastForm();
  }

  // Writes a one-line program named `name` and opens it.
  Form1* OpenProgram(const QString& name, const QByteArray& bytes = "G01X10\r\n") {
    return Open(WriteFile(name, bytes));
  }

  Form1* New() {
    frame->mnuNewProgram_Click();
    return frame->LastForm();
  }

  QString Panel(int index) const;

  ScriptedServices services;
  QTemporaryDir dir;
  std::unique_ptr<MDIForm1> frame;
};

#include "frame/StatusBar.h"

inline QString FrameFixture::Panel(int index) const { return frame->StatusBar1->Panels(index).Text(); }
