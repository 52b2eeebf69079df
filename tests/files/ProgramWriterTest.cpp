// The writer's transformation and the all-or-nothing file write that keeps
// the file the same file.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <algorithm>
#include <functional>
#include <string_view>
#include <vector>
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "document/TextStore.h"
#include "files/FileReplace.h"
#include "files/ProgramWriter.h"
#include "testkit/FlatProgramWriter.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

struct TransformCase {
  const char16_t* editor;
  const char16_t* file;
};

TEST(ProgramWriter, TransformationUpperCasesAndDropsSpacesAndSemicolons) {
  const TransformCase cases[] = {
      {u"G01 X10 ;\r\nG00 Y5 ;\r\n", u"G01X10\r\nG00Y5\r\n"},
      {u"g01 x10 ;\r\n", u"G01X10\r\n"},
      {u"A ;\r\n ;\r\n", u"A\r\n\r\n"},                  // " ;" becomes an empty line
      {u"G01 X10 ;\r\nG00 Y5", u"G01X10\r\nG00Y5"},      // no line end added
      {u"", u""},
      {u"a\tｂ\u3000c;;d", u"A\tＢ\u3000CD"},            // other white space stays
      {u"x\r\ry\nz", u"X\r\rY\nZ"},                       // bare CR and LF stay
      {u"n\xDC81\xDCFFm", u"N\xDC81\xDCFFM"},             // kept file bytes stay
      {u"\U00010428 ;", u"\U00010400"},                   // a pair is cased as one
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgramFileText(QString::fromUtf16(c.editor)), QString::fromUtf16(c.file))
        << QString::fromUtf16(c.editor).toStdString();
  }
}

TEST(ProgramWriter, WritesTheFileBytesExactly) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.m"));
  const struct {
    const char16_t* editor;
    QByteArray bytes;
  } cases[] = {
      {u"G01 X10 ;\r\nG00 Y5 ;\r\n", QByteArray("G01X10\r\nG00Y5\r\n")},
      {u"g01 x10 ;\r\n", QByteArray("G01X10\r\n")},
      {u"A ;\r\n ;\r\n", QByteArray("A\r\n\r\n")},
      {u"G01 X10 ;\r\nG00 Y5", QByteArray("G01X10\r\nG00Y5")},
      {u"", QByteArray()},
      {u"(ｶﾀ 加工)", QByteArray("(\xB6\xC0\x89\xC1\x8D\x48)")},
      {u"X\xDC81\xDCFF", QByteArray("X\x81\xFF")},
  };
  for (const auto& c : cases) {
    const WriteResult result = WriteProgramFile(path, QString::fromUtf16(c.editor));
    EXPECT_EQ(result.status, WriteStatus::kWritten);
    EXPECT_EQ(ReadAll(path), c.bytes) << QString::fromUtf16(c.editor).toStdString();
  }
}

TEST(ProgramWriter, UnencodableCharacterWritesNothingAndNamesItsLine) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.m"));
  ASSERT_TRUE(WriteFileBytes(path, "OLD\r\n"));
  const WriteResult result =
      WriteProgramFile(path, QString::fromUtf16(u"G01 ;\r\n ;\r\nX1 \U0001F600 ;\r\nX\u00E9 ;\r\n"));
  EXPECT_EQ(result.status, WriteStatus::kUnencodable);
  EXPECT_EQ(result.badLine, 3);
  EXPECT_EQ(ReadAll(path), QByteArray("OLD\r\n"));
  // A surrogate that is not a kept byte cannot be written either.
  EXPECT_EQ(WriteProgramFile(path, QString::fromUtf16(u"A\xD800")).badLine, 1);
  EXPECT_EQ(ReadAll(path), QByteArray("OLD\r\n"));
}

TEST(ProgramWriter, UnwritablePlacesFailAndLeaveTheOldFile) {
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("folder.m"));
  ASSERT_TRUE(QDir().mkdir(folder));
  EXPECT_EQ(WriteProgramFile(folder, QStringLiteral("A ;\r\n")).status, WriteStatus::kFailed);
  EXPECT_TRUE(QFileInfo(folder).isDir());
  EXPECT_EQ(WriteProgramFile(dir.filePath(QStringLiteral("missing/a.m")), QStringLiteral("A ;\r\n"))
                .status,
            WriteStatus::kFailed);
}

// Writes over a read-only program of the user's own, in a folder of the
// user's own, and tells how it went: 0 when the write failed and the old
// content stayed, else what went wrong on stderr. Root may write any file, so
// as root it first hands the folder and the file to an unprivileged user and
// becomes that user.
int WriteOverOwnReadOnlyFile() {
  QTemporaryDir dir;
  const QString readOnly = dir.filePath(QStringLiteral("ro.m"));
  if (!WriteFileBytes(readOnly, "OLD") || !QFile::setPermissions(readOnly, QFileDevice::ReadOwner)) {
    std::fprintf(stderr, "cannot prepare %s\n", qPrintable(readOnly));
    return 2;
  }
  if (geteuid() == 0) {
    constexpr uid_t kNobody = 65534;
    if (chown(qPrintable(dir.path()), kNobody, kNobody) != 0 ||
        chown(qPrintable(readOnly), kNobody, kNobody) != 0 || setgroups(0, nullptr) != 0 ||
        setgid(kNobody) != 0 || setuid(kNobody) != 0) {
      std::perror("becoming an unprivileged user");
      return 2;
    }
    if (ReadAll(readOnly) != "OLD") {
      std::fprintf(stderr, "the unprivileged user cannot read %s\n", qPrintable(readOnly));
      return 2;
    }
  }
  int result = 0;
  if (WriteProgramFile(readOnly, QStringLiteral("NEW ;")).status != WriteStatus::kFailed) {
    std::fprintf(stderr, "writing the read-only file did not fail\n");
    result = 1;
  }
  if (ReadAll(readOnly) != "OLD") {
    std::fprintf(stderr, "the read-only file's content changed\n");
    result = 1;
  }
  return result;
}

// In a child process, since the test may give up root there.
TEST(ProgramWriter, ReadOnlyFileFailsAndKeepsItsContent) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const int result = WriteOverOwnReadOnlyFile();
        std::fflush(stderr);
        _exit(result);
      },
      testing::ExitedWithCode(0), "");
}

TEST(ProgramWriter, KeepsPermissionsAndSymbolicLinks) {
  QTemporaryDir dir;
  const QString target = dir.filePath(QStringLiteral("real.m"));
  ASSERT_TRUE(WriteFileBytes(target, "OLD"));
  const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                           QFileDevice::ReadGroup | QFileDevice::ReadOther |
                           QFileDevice::ExeOwner;
  ASSERT_TRUE(QFile::setPermissions(target, permissions));
  const QString link = dir.filePath(QStringLiteral("link.m"));
  ASSERT_TRUE(QFile::link(target, link));

  EXPECT_EQ(WriteProgramFile(link, QStringLiteral("G01 X1 ;\r\n")).status, WriteStatus::kWritten);
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
  EXPECT_EQ(ReadAll(target), QByteArray("G01X1\r\n"));
  // Owner, group and others (the "user" bits mirror the owner's).
  EXPECT_EQ(QFile::permissions(target) & 0xf0ff, permissions & 0xf0ff);
}

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

// What a save must keep of a file: owner, group, mode, links and the size of
// its extended attributes' names; then, after "/", its inode.
QString IdentityOf(const QString& path) {
  struct stat st {};
  ::stat(Native(path), &st);
  return QStringLiteral("%1:%2 %3 %4 %5/%6").arg(st.st_uid).arg(st.st_gid).arg(st.st_mode, 0, 8)
      .arg(st.st_nlink).arg(::listxattr(Native(path), nullptr, 0)).arg(st.st_ino);
}

QStringList Entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Runs `write` with every write into a regular file failing past `bytes`
// bytes of it (the process's file-size limit), as on a full disk; no limit
// when `bytes` is negative.
bool WithFileSizeLimit(qint64 bytes, const std::function<bool()>& write) {
  if (bytes < 0) return write();
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit limit = old;
  limit.rlim_cur = static_cast<rlim_t>(bytes);
  // Past the limit a write fails with EFBIG instead of ending the process.
  const sighandler_t oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const bool written = write();
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);
  return written;
}

// Files that a new file renamed over them would change, saved by root or by
// nobody (whose file-system user this thread takes on, losing root's rights
// over files), some with the write in place failing after `budget` bytes as
// on a full disk. Every name then shows the new bytes, or the old ones after a
// failure; the file keeps what it had, and nothing is left in the folder.
TEST(ProgramWriter, SavingKeepsTheFilesIdentity) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files other owners";
  const uid_t nobody = 65534;  // nobody:nogroup on Debian
  const struct {
    const char* name;
    uid_t owner;
    mode_t fileMode, folderMode;
    bool hardLink, attribute, byNobody;
    qint64 budget;
    bool replaced;  // whether a new file took the old one's place
  } cases[] = {
      {"hard-linked", 0, 0644, 0755, true, false, false, -1, false},
      {"hard-linked, failing within the old length", 0, 0644, 0755, true, false, false, 5, false},
      {"hard-linked, failing past the old length", 0, 0644, 0755, true, false, false, 20, false},
      {"nobody's, set-user-ID, saved by root", nobody, 04750, 0755, false, false, false, -1, true},
      {"with an extended attribute", 0, 0644, 0755, false, true, false, -1, false},
      {"nobody's, in a read-only folder", nobody, 0644, 0555, false, false, true, -1, false},
      {"root's, group-writable, saved by nobody", 0, 0664, 0777, false, false, true, -1, false},
  };
  QTemporaryDir dir;
  ::chmod(Native(dir.path()), 0711);  // so that nobody reaches the folders inside
  const QByteArray oldBytes("OLD1\r\nOLD2\r\nOLD3\r\n"), newBytes("G01X1\r\nM30\r\n");
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString folder = dir.filePath(QString::number(n++)), file = folder + "/a.m";
    ASSERT_TRUE(QDir().mkdir(folder) && WriteFileBytes(file, oldBytes));
    ::chown(Native(file), c.owner, nobody);
    ::chmod(Native(file), c.fileMode);
    if (c.hardLink) ::link(Native(file), Native(folder + "/b.m"));
    if (c.attribute) ::setxattr(Native(file), "trusted.kesto", "1", 1, 0);
    ::chmod(Native(folder), c.folderMode);
    const QString identity = IdentityOf(file);
    const QStringList names = Entries(folder);
    // A failing write is a longer one, so that putting the old bytes back
    // also needs the file cut to its old length.
    const QByteArray bytes = c.budget < 0 ? newBytes : newBytes + newBytes;
    if (c.byNobody) {
      ::setfsgid(nobody);
      ::setfsuid(nobody);
    }
    const bool saved = WithFileSizeLimit(c.budget, [&] { return WriteFileBytes(file, bytes); });
    ::setfsuid(0);
    ::setfsgid(0);
    EXPECT_EQ(saved, c.budget < 0);
    for (const QString& name : names)
      EXPECT_EQ(ReadAll(folder + '/' + name), c.budget < 0 ? bytes : oldBytes);
    EXPECT_EQ(Entries(folder), names);
    EXPECT_EQ(IdentityOf(file).section('/', 0, 0), identity.section('/', 0, 0));
    EXPECT_EQ(IdentityOf(file) != identity, c.replaced);
  }
}

// A write with progress, into a new file, over a file renamed away and over
// a hard-linked file written in place, stopped at each of its reports in
// turn: the file keeps its old bytes, nothing is left beside it, and the
// result says cancelled. Unstopped, the reports rise to the whole and the
// bytes are those of a write without progress.
TEST(ProgramWriter, StoppingAtAnyReportLeavesTheOldFile) {
  QString text;
  for (int n = 0; text.size() < 5'000'000; ++n)
    text += QStringLiteral("n%1 g01 x10 ; (カナ)\r\n").arg(n);
  const TextStore store(text);
  QTemporaryDir dir;
  const QString reference = dir.filePath(QStringLiteral("reference/a.m"));
  ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("reference"))));
  ASSERT_EQ(WriteProgramFile(reference, store).status, WriteStatus::kWritten);
  const QByteArray expected = ReadAll(reference);
  const QByteArray oldBytes("OLD\r\n");
  for (const char* route : {"new", "renamed", "in place"}) {
    SCOPED_TRACE(route);
    const QString folder = dir.filePath(QString::fromLatin1(route));
    const QString path = folder + QStringLiteral("/a.m");
    ASSERT_TRUE(QDir().mkpath(folder));
    const bool existing = std::string_view(route) != "new";
    if (existing) {
      ASSERT_TRUE(WriteFileBytes(path, oldBytes));
    }
    if (std::string_view(route) == "in place") {
      ASSERT_TRUE(QFile::link(path, folder + "/b.m"));
    }
    const QStringList names = Entries(folder);
    // Unstopped: how many reports there are, rising to the whole.
    std::vector<int64_t> reports;
    const WriteProgress record = [&](int64_t done, int64_t total) {
      reports.push_back(done * 1000 / total);
      return true;
    };
    ASSERT_EQ(WriteProgramFile(path, store, record).status, WriteStatus::kWritten);
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    ASSERT_GT(reports.size(), 5u);
    EXPECT_GE(reports.back(), 990);
    // The reports made while the file syncs come as time passes; the last
    // step's report, which they repeat, is the last stop tried.
    const size_t last = std::find(reports.begin(), reports.end(), reports.back()) - reports.begin();
    for (size_t stop = 0; stop <= last; ++stop) {
      SCOPED_TRACE(stop);
      const bool prepared = existing ? WriteFileBytes(path, oldBytes)
                                     : QFile::remove(path) || !QFile::exists(path);
      ASSERT_TRUE(prepared);
      size_t calls = 0;
      const WriteResult result =
          WriteProgramFile(path, store, [&](int64_t, int64_t) { return calls++ < stop; });
      EXPECT_EQ(result.status, WriteStatus::kCancelled);
      EXPECT_EQ(calls, stop + 1) << "no report after the stop";
      EXPECT_EQ(ReadAll(path), existing ? oldBytes : QByteArray("<unreadable>"));
      EXPECT_EQ(Entries(folder), existing ? names : QStringList());
    }
  }
}

}  // namespace
