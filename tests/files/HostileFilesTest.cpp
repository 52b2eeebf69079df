// Files no CAM system meant to write, and places no user meant to save to:
// each ends with the file shown as it is, or with a report, and never with
// bytes lost.

#include <QAction>
#include <QBuffer>
#include <QImage>
#include <QMenuBar>

#include "frame/FrameFixture.h"
#include "platform/DrawingLock.h"
#include "testkit/FrameChecks.h"

namespace {

const QString kOpenFailed = QStringLiteral("\r\n\r\n上記のファイルを開けませんでした。");
const QString kSaveDone = QStringLiteral("\r\n\r\n上記のプログラムを上書き保存しました。");
const QString kSaveFailed = QStringLiteral("\r\n\r\n上記のファイルに保存できませんでした。");

class HostileFiles : public FrameFixture {
 protected:
  static QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }

  // The last message shown, or "" when none was.
  QString LastPrompt() const {
    return services.messages.empty() ? QString() : services.messages.back().prompt;
  }

  // Opens `path` and saves it straight back: the file must hold its old bytes.
  void ExpectOpenSaveKeepsBytes(const QString& path) {
    const QByteArray before = Read(path);
    const int windows = frame->FormNumber;
    Form1* form = Open(path);
    ASSERT_EQ(frame->FormNumber, windows + 1);
    EXPECT_EQ(Read(path), before) << "opening changed the file";
    EXPECT_TRUE(services.messages.empty()) << LastPrompt().toStdString();
    frame->mnuOverWrite_Click();
    EXPECT_EQ(LastPrompt(), path + kSaveDone);
    EXPECT_EQ(Read(path), before) << "open then save changed the bytes";
    EXPECT_EQ(form->Caption(), path);
    services.messages.clear();
  }

  static QByteArray Png() {
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) image.setPixel(x, y, qRgba(x * 16, y * 16, 99, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
  }
};

TEST_F(HostileFiles, OddContentOpensAndSavesBackByteForByte) {
  const struct {
    const char* name;
    QByteArray bytes;
  } cases[] = {
      {"zero bytes", QByteArray()},
      {"NUL bytes", QByteArray(300, '\0')},
      {"NUL inside statements", QByteArray("G01\0X1\r\n\0\r\n", 12)},
      {"lead byte at the end", QByteArray("G01X1\r\nM30\x81")},
      {"lead byte before CR LF", QByteArray("G01X1\x82\r\nM30\r\n")},
      {"no CP932 characters", QByteArray("\x80\xA0\xFF\xFD\xFE\r\nX\x80Y\xA0Z\xFF\r\n")},
      {"lead byte with a bad trail", QByteArray("X\x81\x7FY\x81\xFC")},
      {"bare CR line ends", QByteArray("G01X1\rG00Y2\rM30\r")},
      {"bare LF line ends", QByteArray("G01X1\nG00Y2\nM30\n")},
      {"mixed line ends", QByteArray("A1\r\r\nB2\n\rC3\n\nD4\r\n\n")},
      {"only line ends", QByteArray("\r\n\r\n\r\n")},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectOpenSaveKeepsBytes(WriteFile(QStringLiteral("odd%1.m").arg(n++), c.bytes));
  }
}

TEST_F(HostileFiles, BinaryFileOpensWithoutChangingIt) {
  // A picture has lower-case letters, spaces and ";" that a program file
  // cannot hold, so saving it would not give its bytes back: opening it must
  // show it and leave the file alone.
  const QByteArray png = Png();
  ASSERT_TRUE(png.startsWith("\x89PNG"));
  const QString path = WriteFile(QStringLiteral("picture.m"), png);
  Form1* form = Open(path);
  ASSERT_EQ(frame->FormNumber, 1);
  EXPECT_FALSE(form->RichTextBox1->Text().isEmpty());
  EXPECT_EQ(form->RichTextBox1->GetLineFromChar(int32_t(form->RichTextBox1->Text().size())),
            int32_t(form->RichTextBox1->Text().count(u'\n')));
  EXPECT_EQ(Read(path), png);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(HostileFiles, FiftyMegabytesWithoutALineBreak) {
  QByteArray bytes;
  bytes.reserve(50 << 20);
  const QByteArray statement("G01X10.5Y-20.25Z3F1200");
  while (bytes.size() + statement.size() <= (50 << 20)) bytes += statement;
  bytes.append((50 << 20) - bytes.size(), '7');
  const QString path = WriteFile(QStringLiteral("long.m"), bytes);
  Form1* form = Open(path);
  ASSERT_EQ(frame->FormNumber, 1);
  EXPECT_EQ(form->RichTextBox1->GetLineFromChar(int32_t(form->RichTextBox1->Text().size())), 0);
  frame->mnuOverWrite_Click();
  EXPECT_EQ(LastPrompt(), path + kSaveDone);
  EXPECT_TRUE(Read(path) == bytes) << "the saved bytes differ from the file's";
}

TEST_F(HostileFiles, FilesThatCannotBeReadAreReported) {
  Form1* a = OpenProgram("A.m");
  const QString vanishing = WriteFile(QStringLiteral("vanishing.m"), "X1\r\n");
  const QString loop = dir.filePath(QStringLiteral("loop.m"));
  ASSERT_TRUE(QFile::link(loop, loop));
  const QString dangling = dir.filePath(QStringLiteral("dangling.m"));
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nothing.m")), dangling));
  for (const QString& path : {vanishing, loop, dangling}) {
    SCOPED_TRACE(path.toStdString());
    services.messages.clear();
    // The file goes while the dialog is up, after the dialog accepted it.
    if (path == vanishing) services.onDialog = [&] { QFile::remove(vanishing); };
    Open(path);
    services.onDialog = nullptr;
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, path + kOpenFailed);
    EXPECT_EQ(frame->FormNumber, 1);
    EXPECT_EQ(frame->Forms(), QList<Form1*>{a});
    EXPECT_EQ(ControlsOutOfStep(*frame), QString());
    EXPECT_FALSE(IsDrawingLocked());
  }
}

TEST_F(HostileFiles, UnreadableFileOpensOrIsReported) {
  const QString path = WriteFile(QStringLiteral("secret.m"), "G01X1\r\n");
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
  Form1* form = Open(path);
  if (frame->FormNumber == 1) {
    // The user may read anything (root): the program shows as it is.
    EXPECT_EQ(form->RichTextBox1->Text(), QStringLiteral("G01 X1 ;\r\n"));
    EXPECT_TRUE(services.messages.empty());
  } else {
    EXPECT_EQ(LastPrompt(), path + kOpenFailed);
  }
  EXPECT_EQ(ControlsOutOfStep(*frame), QString());
}

// Saving where the file system may refuse: what the report says must be what
// happened, and the file keeps either its old bytes or the new ones, never a
// part of them, with its permissions and its link.
TEST_F(HostileFiles, SaveOverUnusualFilesReportsWhatHappened) {
  using P = QFileDevice;
  const struct {
    const char* name;
    QFileDevice::Permissions permissions;
    bool throughLink;
    bool readOnlyFolder;
  } cases[] = {
      {"owner only (0600)", P::ReadOwner | P::WriteOwner, false, false},
      {"read-only (0444)",
       P::ReadOwner | P::ReadGroup | P::ReadOther, false, false},
      {"group writable (0664)",
       P::ReadOwner | P::WriteOwner | P::ReadGroup | P::WriteGroup | P::ReadOther,
       false, false},
      {"through a symbolic link (0640)",
       P::ReadOwner | P::WriteOwner | P::ReadGroup, true, false},
      {"in a read-only folder (0644)",
       P::ReadOwner | P::WriteOwner | P::ReadGroup | P::ReadOther, false, true},
  };
  const QByteArray oldBytes("OLD1\r\nOLD2\r\n");
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString folder = dir.filePath(QStringLiteral("case%1").arg(n++));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/real.m");
    {
      QFile file(target);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(oldBytes);
    }
    ASSERT_TRUE(QFile::setPermissions(target, c.permissions));
    QString path = target;
    if (c.throughLink) {
      path = folder + QStringLiteral("/link.m");
      ASSERT_TRUE(QFile::link(target, path));
    }
    Form1* form = Open(path);
    ASSERT_EQ(frame->ActiveForm(), form);
    form->RichTextBox1->SetText(QStringLiteral("NEW ;\r\n"));
    if (c.readOnlyFolder) {
      ASSERT_TRUE(QFile::setPermissions(folder, P::ReadOwner | P::ExeOwner | P::ReadUser |
                                                    P::ExeUser));
    }
    services.messages.clear();
    frame->mnuOverWrite_Click();
    if (c.readOnlyFolder) {
      QFile::setPermissions(folder, P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadUser |
                                        P::WriteUser | P::ExeUser);
    }

    const QByteArray now = Read(target);
    if (LastPrompt() == path + kSaveDone) {
      EXPECT_EQ(now, QByteArray("NEW\r\n"));
      // Owner, group and others; the "user" bits tell what this process may do.
      EXPECT_EQ(QFile::permissions(target) & 0xf0ff, c.permissions & 0xf0ff);
    } else {
      EXPECT_EQ(LastPrompt(), path + kSaveFailed);
      EXPECT_EQ(now, oldBytes);
    }
    if (c.throughLink) {
      EXPECT_EQ(QFileInfo(path).symLinkTarget(), target);
    }
    // Nothing is left behind beside the file, whichever way it went.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
              c.throughLink ? 2 : 1);
    EXPECT_EQ(ControlsOutOfStep(*frame), QString());
  }
}

}  // namespace
