// Files from outside the File menu: the command line, a hand-over, a drop.

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "frame/FrameFixture.h"
#include "platform/DrawingLock.h"
#include "platform/LocalPath.h"
#include "platform/LongOperation.h"

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

// The three ways a path reaches the frame. Each returns once the frame has
// either made a window or shown a report.
enum class Route { kFileOpen, kHandOver, kDrop };

// A drag of `urls` over the frame and its drop, offering `offered` and
// proposing what the modifiers ask for (Shift proposes Move); the action
// each of the three events was answered with, or IgnoreAction where it was
// refused.
struct DropAnswers {
  Qt::DropAction enter, move, drop;
};
DropAnswers Drop(MDIForm1& frame, const QList<QUrl>& urls, Qt::DropActions offered,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMimeData data;
  data.setUrls(urls);
  const auto answer = [](const QDropEvent& event) {
    return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
  };
  QDragEnterEvent enter(QPoint(50, 50), offered, &data, Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(&frame, &enter);
  QDragMoveEvent move(QPoint(60, 60), offered, &data, Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(&frame, &move);
  QDropEvent drop(QPointF(60, 60), offered, &data, Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(&frame, &drop);
  return {answer(enter), answer(move), answer(drop)};
}

// The address of the file whose path has the bytes `name`.
QUrl FileUrl(const QByteArray& name) {
  return QUrl::fromEncoded("file://" + name.toPercentEncoding("/"));
}

// The names in `folder`, as the bytes the file system holds.
QList<QByteArray> NamesIn(const QByteArray& folder) {
  QList<QByteArray> names;
  if (DIR* d = ::opendir(folder.constData())) {
    while (const dirent* entry = ::readdir(d)) {
      const QByteArray name(entry->d_name);
      if (name != "." && name != "..") names << name;
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void WriteBytes(const QByteArray& name, const QByteArray& bytes) {
  const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
  ::close(fd);
}

QByteArray ReadBytes(const QByteArray& name) {
  QByteArray bytes;
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
  char block[4096];
  for (ssize_t n; fd >= 0 && (n = ::read(fd, block, sizeof block)) > 0;) bytes.append(block, n);
  if (fd >= 0) ::close(fd);
  return bytes;
}

class OddFiles : public FrameFixture {
 protected:
  // Sends `path` (as bytes, `name`) along `route`; the window made, if any.
  Form1* Send(Route route, const QString& path) {
    const int windows = int(frame->Forms().size());
    const size_t messages = services.messages.size();
    switch (route) {
      case Route::kFileOpen:
        return Open(path) && frame->Forms().size() > windows ? frame->LastForm() : nullptr;
      case Route::kHandOver:
        frame->OpenFromOutside({path});
        break;
      case Route::kDrop:
        EXPECT_EQ(Drop(*frame, {FileUrl(EncodeLocalPath(path))}, Qt::CopyAction).drop,
                  Qt::CopyAction);
        break;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] {
      return frame->Forms().size() > windows || services.messages.size() > messages;
    }, 5000));
    return frame->Forms().size() > windows ? frame->LastForm() : nullptr;
  }

  QByteArray Folder() const { return EncodeLocalPath(dir.path()); }
};

// Every kind of file that is not a regular one gets the report at once and
// no window, on every road into the frame; nothing of it is read. A FIFO
// with a writer waiting and /dev/null would give a window if they were
// opened and read; a FIFO without one would hang the frame. A name that is
// not UTF-8 names its file on every road.
TEST_F(OddFiles, OnlyRegularFilesAreReadOnEveryRoute) {
  const QByteArray folder = Folder();
  const QByteArray fifo = folder + "/waiting.m";
  const QByteArray lonelyFifo = folder + "/lonely.m";
  const QByteArray socketName = folder + "/socket.m";
  const QByteArray secret = folder + "/secret.m";
  const QByteArray cp932 = folder + "/\x89\xC1\x8D\x48.m";  // 加工.m in CP932
  const QByteArray missingCp932 = folder + "/\x96\xB3.m";
  ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
  ASSERT_EQ(::mkfifo(lonelyFifo.constData(), 0600), 0);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(size_t(socketName.size()), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketName.constData(), size_t(socketName.size()));
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  WriteBytes(secret, "G01X1\r\n");
  ASSERT_EQ(::chmod(secret.constData(), 0), 0);
  WriteBytes(cp932, "G01X1\r\n");
  // A writer that gives the FIFO a program as soon as anything opens it.
  std::thread writer([&fifo] {
    const int fd = ::open(fifo.constData(), O_WRONLY);
    if (fd >= 0) (void)!::write(fd, "G01X1\r\n", 7), ::close(fd);
  });

  const bool root = ::geteuid() == 0;  // root reads a file without permissions
  const struct {
    const char* kind;
    QByteArray name;
    bool opens;
  } kinds[] = {
      {"FIFO with a writer", fifo, false},
      {"FIFO without one", lonelyFifo, false},
      {"socket", socketName, false},
      {"empty device", "/dev/null", false},
      {"endless device", "/dev/zero", false},
      {"folder", folder, false},
      {"missing", folder + "/missing.m", false},
      {"missing, not UTF-8", missingCp932, false},
      {"no permissions", secret, root},
      {"name not UTF-8", cp932, true},
  };
  for (const Route route : {Route::kFileOpen, Route::kHandOver, Route::kDrop}) {
    for (const auto& kind : kinds) {
      SCOPED_TRACE(std::string(kind.kind) + " by route " + std::to_string(int(route)));
      services.messages.clear();
      const QString path = DecodeLocalPath(kind.name);
      Form1* form = Send(route, path);
      if (kind.opens) {
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(EncodeLocalPath(form->Caption()), kind.name);
        EXPECT_EQ(form->RichTextBox1->Text(), QStringLiteral("G01 X1 ;\r\n"));
        EXPECT_TRUE(services.messages.empty());
        form->close();
      } else {
        EXPECT_EQ(form, nullptr);
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].prompt, path + kCannotOpen);
        EXPECT_EQ(services.messages[0].title, QStringLiteral("報告"));
      }
      EXPECT_FALSE(IsDrawingLocked());
    }
  }
  // The writer is still waiting for a reader: nothing opened its FIFO.
  const int release = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
  writer.join();
  ::close(release);
  ::close(listener);
  ::chmod(secret.constData(), 0600);
}

// A file named in CP932 opens and Save and Save As write to the very file
// named, under its own bytes: no second file under a mangled name appears.
TEST_F(OddFiles, NameNotUtf8SavesBackToItself) {
  const QByteArray folder = Folder();
  const QByteArray name = folder + "/\x89\xC1\x8D\x48.m";
  const QByteArray other = folder + "/\x90\x56.s";
  WriteBytes(name, "G01X1\r\n");
  Form1* form = Send(Route::kHandOver, DecodeLocalPath(name));
  ASSERT_NE(form, nullptr);
  form->RichTextBox1->SetText(QStringLiteral("G00 Y2 ;\r\n"));
  frame->mnuOverWrite_Click();
  EXPECT_EQ(services.messages.back().prompt,
            DecodeLocalPath(name) + QStringLiteral("\r\n\r\n上記のプログラムを上書き保存しました。"));
  EXPECT_EQ(ReadBytes(name), QByteArray("G00Y2\r\n"));
  EXPECT_EQ(NamesIn(folder), QList<QByteArray>{name.mid(folder.size() + 1)});

  services.savePaths.push_back(DecodeLocalPath(other));
  frame->mnuNameSave_Click();
  EXPECT_EQ(EncodeLocalPath(form->Caption()), other);
  EXPECT_EQ(ReadBytes(other), QByteArray("G00Y2\r\n"));
  EXPECT_EQ(NamesIn(folder),
            (QList<QByteArray>{name.mid(folder.size() + 1), other.mid(folder.size() + 1)}));
}

// A drop is answered as a copy whatever the source proposes, so that a source
// honouring Move never deletes the user's file; a source that offers only
// Move is refused, and so are addresses that are no local files.
TEST_F(OddFiles, DropsAreCopies) {
  const QString a = WriteFile(QStringLiteral("A.m"), "G01X1\r\n");
  const QList<QUrl> file{FileUrl(EncodeLocalPath(a))};
  const auto answered = [](const DropAnswers& answers, Qt::DropAction action) {
    return answers.enter == action && answers.move == action && answers.drop == action;
  };
  EXPECT_TRUE(answered(Drop(*frame, file, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
                       Qt::CopyAction));
  EXPECT_TRUE(answered(Drop(*frame, file, Qt::MoveAction | Qt::LinkAction), Qt::LinkAction));
  EXPECT_TRUE(answered(Drop(*frame, file, Qt::MoveAction), Qt::IgnoreAction));
  EXPECT_TRUE(answered(Drop(*frame, {QUrl(QStringLiteral("https://example.org/A.m"))},
                            Qt::CopyAction),
                       Qt::IgnoreAction));
  ASSERT_TRUE(WaitForForms(*frame, 2));
  QTest::qWait(50);
  EXPECT_EQ(frame->Forms().size(), 2) << "a refused drop opened a file";
}

// Files opened together are arranged once, after the last, however many.
TEST_F(OddFiles, ABatchIsArrangedOnce) {
  QStringList paths;
  for (int i = 0; i < 200; ++i) {
    paths << WriteFile(QStringLiteral("p%1.s").arg(i), "G01X1\r\n");
  }
  const int before = frame->ArrangementCount();
  frame->OpenFromOutside(paths);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->FormNumber == 200; }, 60000));
  EXPECT_EQ(frame->ArrangementCount() - before, 1);
  EXPECT_EQ(frame->LastForm()->Caption(), paths.last());
  EXPECT_EQ(frame->LastForm()->geometry().topLeft(), QPoint(0, 0));
  EXPECT_TRUE(services.messages.empty());
}

// A batch is one long operation: its box tells which file is read, and its
// "中止" stops that file and the rest. The files before it stay open, each
// unreadable one is reported, then the cancelled one; the rest is not read.
TEST_F(OpenFromOutside, CancellingABatchStopsItAtTheFileBeingRead) {
  const QString a = WriteFile(QStringLiteral("A.m"), "G01X10\r\n");
  const QString missing = dir.filePath(QStringLiteral("missing.m"));
  const QString large = WriteFile(QStringLiteral("L.m"),
                                  QByteArray("G01X10.5Y-20.25F1200\r\n").repeated((60 << 20) / 22));
  const QString c = WriteFile(QStringLiteral("C.m"), "G01X10\r\n");
  // At each turn of the event loop while a file is read: the first sleeps
  // past the box's delay, the next finds the box and cancels.
  QString label;
  QTimer turns;
  turns.setInterval(0);
  QObject::connect(&turns, &QTimer::timeout, [&] {
    if (!LongOperation::Running()) return;
    auto* box = frame->findChild<QProgressDialog*>();
    if (!box || !box->isVisible()) {
      QThread::msleep(LongOperation::kProgressAfterMs + 50);
      return;
    }
    label = box->labelText();
    box->cancel();
  });
  turns.start();
  frame->OpenFromOutside({a, missing, large, c});
  ASSERT_TRUE(QTest::qWaitFor([&] { return services.messages.size() == 2; }, 20000));
  QTest::qWait(50);
  EXPECT_TRUE(label.startsWith(QStringLiteral("読み込み中… 3 / 4 ファイル、")))
      << label.toStdString();
  EXPECT_EQ(frame->Forms().size(), 1);
  EXPECT_EQ(frame->LastForm()->Caption(), a);
  EXPECT_EQ(frame->LastForm()->geometry().topLeft(), QPoint(0, 0));
  ASSERT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[0].prompt, missing + kCannotOpen);
  EXPECT_EQ(services.messages[1].prompt,
            large + QStringLiteral("\r\n\r\n上記のファイルを開くのを中止しました。"));
  EXPECT_TRUE(frame->Menu("mnuFile")->menuAction()->isEnabled());
  EXPECT_FALSE(IsDrawingLocked());
  EXPECT_FALSE(LongOperation::Running());
}

}  // namespace
