// Files from outside the File menu: the command line, a hand-over, a drop.

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "files/OpenFromOutside.h"
#include "frame/FrameFixture.h"
#include "platform/DrawingLock.h"

namespace {

using OpenFromOutside = FrameFixture;

const QString kCannotOpen = QStringLiteral("\r\n\r\n上記のファイルを開けませんでした。");

// Runs the event loop until the frame has `count` editor windows.
bool WaitForForms(const MDIForm1& frame, int count) {
  return QTest::qWaitFor([&] { return frame.Forms().size() == count; }, 2000);
}

TEST_F(OpenFromOutside, GoodFilesOpenUnreadableOnesAreReportedLastEndsLeftmost) {
  const QString a = WriteFile(QStringLiteral("A.m"), "G01X10\r\n");
  const QString b = WriteFile(QStringLiteral("B.s"), "g00 y5\r\n");
  const QString missing = dir.filePath(QStringLiteral("missing.m"));
  const QString folder = dir.filePath(QStringLiteral("folder.m"));
  ASSERT_TRUE(QDir().mkpath(folder));

  frame->OpenFromOutside({a, missing, folder, b});
  ASSERT_TRUE(WaitForForms(*frame, 2));

  // Opened as File ▸ Open opens a file, the last one named leftmost.
  const QList<Form1*> forms = frame->Forms();
  EXPECT_EQ(forms[0]->Caption(), a);
  EXPECT_EQ(forms[1]->Caption(), b);
  EXPECT_EQ(forms[1]->RichTextBox1->Text(), QStringLiteral("G00 Y5 ;\r\n"));
  EXPECT_EQ(frame->FormNumber, 2);
  EXPECT_EQ(forms[1]->geometry().topLeft(), QPoint(0, 0));

  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[0].prompt, missing + kCannotOpen);
  EXPECT_EQ(services.messages[1].prompt, folder + kCannotOpen);
  EXPECT_EQ(services.messages[1].title, QStringLiteral("報告"));
  EXPECT_TRUE(frame->Menu("mnuFile")->menuAction()->isEnabled());
  EXPECT_FALSE(IsDrawingLocked());
}

TEST_F(OpenFromOutside, FilesWaitUntilTheRunningCommandHasEnded) {
  Form1* a = OpenProgram("A.m");
  const QString b = WriteFile(QStringLiteral("B.m"), "G01X1\r\n");
  // Files arrive while Save asks its question, and while its report is up.
  int asked = 0;
  services.onMessage = [&](const ShownMessage&) {
    frame->OpenFromOutside({b});
    QTest::qWait(150);
    EXPECT_EQ(frame->Forms(), QList<Form1*>{a}) << "opened inside another command";
    ++asked;
  };
  frame->mnuOverWrite_Click();
  EXPECT_EQ(asked, 2);
  services.onMessage = nullptr;
  ASSERT_TRUE(WaitForForms(*frame, 3));
  EXPECT_EQ(frame->LastForm()->Caption(), b);
  EXPECT_EQ(services.messages.size(), 2u) << "the files gave no report of their own";
}

TEST_F(OpenFromOutside, DroppedFilesOpenAsIfNamedOnTheCommandLine) {
  const QString a = WriteFile(QStringLiteral("A.m"), "G01X10\r\n");
  auto drop = [&](const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &enter);
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.get(), &event);
    return enter.isAccepted() && event.isAccepted();
  };
  EXPECT_TRUE(frame->acceptDrops());

  // Addresses that are no local files are refused and open nothing.
  EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/A.m"))}));

  EXPECT_TRUE(drop({QUrl::fromLocalFile(a), QUrl::fromLocalFile(dir.path())}));
  ASSERT_TRUE(WaitForForms(*frame, 1));
  EXPECT_EQ(frame->LastForm()->Caption(), a);
  ASSERT_TRUE(QTest::qWaitFor([&] { return services.messages.size() == 1; }, 2000));
  EXPECT_EQ(services.messages[0].prompt, QDir::cleanPath(dir.path()) + kCannotOpen);

  // Nothing inside the frame (tool-bar fields, editor windows) takes a drop
  // for itself: wherever a file is dropped, the frame opens it.
  for (const QWidget* widget : frame->findChildren<QWidget*>()) {
    EXPECT_FALSE(widget->acceptDrops()) << widget->metaObject()->className() << " "
                                        << widget->objectName().toStdString();
  }
}

TEST(OpenFromOutsidePaths, RelativeNamesAreTakenFromTheStartsFolder) {
  EXPECT_EQ(AbsolutePaths({QStringLiteral("a.m"), QStringLiteral("../b.s"),
                           QStringLiteral("/abs/./c.m"), QStringLiteral("d e/加工.m")},
                          QStringLiteral("/work/progs")),
            QStringList({QStringLiteral("/work/progs/a.m"), QStringLiteral("/work/b.s"),
                         QStringLiteral("/abs/c.m"), QStringLiteral("/work/progs/d e/加工.m")}));
}

}  // namespace
