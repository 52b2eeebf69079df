// The command line, read before any window system is reached, and the names
// it gives turned into paths that another process can open.

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/CommandLine.h"
#include "platform/LocalPath.h"
#include "platform/SingleInstance.h"
#include "platform/StartPaths.h"

namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, OptionsQtsOptionsAndFiles) {
  struct Case {
    QByteArrayList arguments;  // after the program's name
    Action action;
    QByteArrayList files;
    QByteArrayList qt;  // after the program's name
  };
  const Case cases[] = {
      {{}, Action::kOpen, {}, {}},
      {{"a.m", "b.s", "-"}, Action::kOpen, {"a.m", "b.s", "-"}, {}},
      {{"--help", "--bogus"}, Action::kHelp, {}, {}},
      {{"-h"}, Action::kHelp, {}, {}},
      {{"a.m", "--version"}, Action::kVersion, {}, {}},
      {{"--bogus", "--help"}, Action::kUsageError, {}, {}},
      {{"-x"}, Action::kUsageError, {}, {}},
      // "--" ends every option, Qt's included.
      {{"--", "-reverse"}, Action::kOpen, {"-reverse"}, {}},
      {{"--", "-style", "O9000.s"}, Action::kOpen, {"-style", "O9000.s"}, {}},
      {{"a.m", "--", "--help", "--"}, Action::kOpen, {"a.m", "--help", "--"}, {}},
      // Qt's options before it still go to Qt, with their values.
      {{"-style", "fusion", "a.m", "-reverse"}, Action::kOpen, {"a.m"}, {"-style", "fusion", "-reverse"}},
      {{"--platform", "offscreen", "-style=fusion", "-display", ":1", "b.s"},
       Action::kOpen,
       {"b.s"},
       {"--platform", "offscreen", "-style=fusion", "-display", ":1"}},
      {{"-style"}, Action::kUsageError, {}, {}},
      // A file name is bytes, not necessarily UTF-8 (CP932 "加工.m").
      {{"\x89\xc1\x8d\x48.m"}, Action::kOpen, {"\x89\xc1\x8d\x48.m"}, {}},
      // The print requests, and what they need.
      {{"--print", "a.m"}, Action::kUsageError, {}, {}},
      {{"--to", "o.pdf"}, Action::kUsageError, {}, {}},
      {{"--print", "a.m", "--to", "o.pdf", "b.m"}, Action::kUsageError, {}, {}},
      {{"--print", "a.m", "--print-two-column", "b.m", "--to", "o.pdf"}, Action::kUsageError, {}, {}},
      {{"--print"}, Action::kUsageError, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CommandLine line = ParseCommandLine(QByteArrayList{"/usr/bin/kesto"} + c.arguments);
    EXPECT_EQ(line.action, c.action);
    if (c.action == Action::kUsageError) {
      EXPECT_FALSE(line.error.isEmpty());
      EXPECT_FALSE(line.error.contains(u'\n'));
      continue;
    }
    if (c.action != Action::kOpen) continue;
    EXPECT_EQ(line.files, c.files);
    EXPECT_EQ(line.qtArguments, QByteArrayList{"/usr/bin/kesto"} + c.qt);
  }

  const CommandLine one = ParseCommandLine({"kesto", "--to", "o.pdf", "--print", "a.m", "-reverse"});
  EXPECT_EQ(one.action, Action::kPrint);
  EXPECT_EQ(one.printMode, CommandLine::PrintMode::kOneColumn);
  EXPECT_EQ(one.printFile, "a.m");
  EXPECT_EQ(one.printTo, "o.pdf");
  EXPECT_EQ(one.qtArguments, (QByteArrayList{"kesto", "-reverse"}));
  EXPECT_EQ(ParseCommandLine({"kesto", "--display", ":1", "a.m"}).display, ":1");
  EXPECT_TRUE(ParseCommandLine({"kesto", "-style", "-display", "a.m"}).display.isNull());
  const CommandLine two = ParseCommandLine({"kesto", "--print-two-column", "b.s", "--to", "p.pdf"});
  EXPECT_EQ(two.printMode, CommandLine::PrintMode::kTwoColumn);
  EXPECT_EQ(two.printFile, "b.s");
  EXPECT_TRUE(CommandLineUsage().startsWith(u"使い方: kesto "));
}

TEST(CommandLineTest, NamesBecomeAbsolutePathsAsBytes) {
  const QByteArray cp932 = "\x89\xc1\x8d\x48.m";
  const StartPaths start = ResolveStartPaths(
      {"a.m", "../b.s", "/x//./y/../z.m", cp932, "/proc/1/environ", "-"}, "/work/w", getpid());
  EXPECT_TRUE(start.errors.isEmpty());
  ASSERT_EQ(start.paths.size(), 6);
  EXPECT_EQ(start.paths[0], u"/work/w/a.m");
  EXPECT_EQ(start.paths[1], u"/work/b.s");
  EXPECT_EQ(start.paths[2], u"/x/z.m");
  EXPECT_EQ(EncodeLocalPath(start.paths[3]), "/work/w/" + cp932);
  EXPECT_EQ(start.paths[4], u"/proc/1/environ");  // another process's entry reads the same anywhere
  EXPECT_EQ(start.paths[5], u"/work/w/-");
  EXPECT_EQ(CleanAbsolutePath("/.."), "/");

  // Longer than a system call takes, or more than one start may hand over.
  const QByteArray longName(kMaxPathBytes, 'a');
  EXPECT_EQ(ResolveStartPaths({longName}, "/w", getpid()).errors.size(), 1);
  EXPECT_EQ(ResolveStartPaths({"/" + longName.left(kMaxPathBytes - 1)}, "/w", getpid()).paths.size(), 1);
  EXPECT_EQ(ResolveStartPaths(QByteArrayList(kMaxHandOverPaths + 1, "a.m"), "/w", getpid()).errors.size(), 1);
  EXPECT_EQ(ResolveStartPaths({"a.m"}, "", getpid()).errors.size(), 1);
}

TEST(CommandLineTest, NamesOfThisProcessResolveToTheFileOrAreRefused) {
  QTemporaryDir folder;
  const QByteArray file = EncodeLocalPath(folder.filePath(QStringLiteral("p.m")));
  const int regular = ::open(file.constData(), O_CREAT | O_RDWR, 0600);
  const int deleted = ::open((file + "-gone").constData(), O_CREAT | O_RDWR, 0600);
  ::unlink((file + "-gone").constData());
  int pipe[2], sockets[2];
  ASSERT_EQ(::pipe(pipe), 0);
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
  const QByteArray pid = QByteArray::number(getpid());
  const auto fd = [](int n) { return QByteArray::number(n); };

  struct Case {
    QByteArray name;
    QString refusal;  // empty: resolves to `file`
  };
  const Case cases[] = {
      {"/dev/fd/" + fd(regular), {}},
      {"/proc/self/fd/" + fd(regular), {}},
      {"/proc/" + pid + "/fd/" + fd(regular), {}},
      {"/dev/fd/" + fd(pipe[0]), QStringLiteral("パイプ")},
      {"/dev/fd/" + fd(sockets[0]), QStringLiteral("ソケット")},
      {"/proc/thread-self/fd/" + fd(deleted), QStringLiteral("名前のない")},
      {"/dev/fd/9999", QStringLiteral("見つかりません")},
      {"/proc/self/cwd", QStringLiteral("フォルダ")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    const StartPaths start = ResolveStartPaths({c.name}, "/", getpid());
    if (c.refusal.isEmpty()) {
      ASSERT_EQ(start.paths.size(), 1);
      EXPECT_EQ(EncodeLocalPath(start.paths[0]), QFileInfo(folder.path()).canonicalFilePath().toUtf8() + "/p.m");
    } else {
      EXPECT_TRUE(start.paths.isEmpty());
      ASSERT_EQ(start.errors.size(), 1);
      EXPECT_TRUE(start.errors[0].startsWith(QStringLiteral("kesto: ") + QString::fromUtf8(c.name) + QStringLiteral(": ")));
      EXPECT_TRUE(start.errors[0].contains(c.refusal)) << start.errors[0].toStdString();
    }
  }
  for (const int open : {regular, deleted, pipe[0], pipe[1], sockets[0], sockets[1]}) ::close(open);
}

}  // namespace
