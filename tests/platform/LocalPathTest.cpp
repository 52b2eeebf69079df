#include "platform/LocalPath.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>

// Every byte string is a possible file name: it must come back byte for byte,
// and the text of valid UTF-8 must be the characters it spells.
TEST(LocalPath, BytesSurviveTheRoundTrip) {
  const QByteArray cases[] = {
      "/home/op/O1000.m",
      "/media/usb/\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80.m",  // "プログラム" in CP932
      "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81",  // overlong, surrogate, too big, cut
      "\xFF", "a\x80" "b"};
  for (const QByteArray& bytes : cases) EXPECT_EQ(EncodeLocalPath(DecodeLocalPath(bytes)), bytes);

  QRandomGenerator random(20);
  for (int round = 0; round < 2000; ++round) {
    QByteArray bytes(random.bounded(1, 24), '\0');
    for (char& b : bytes) b = char(random.bounded(1, 256));
    ASSERT_EQ(EncodeLocalPath(DecodeLocalPath(bytes)), bytes) << bytes.toHex().constData();
  }

  EXPECT_EQ(DecodeLocalPath(QStringLiteral("/ﾃﾞｰﾀ/加工.s").toUtf8()), QStringLiteral("/ﾃﾞｰﾀ/加工.s"));
  EXPECT_EQ(DisplayLocalPath(DecodeLocalPath("/a\x83\x76.m")), QStringLiteral("/a\uFFFDv.m"));
}

// A path a native dialog gives, its names that are not UTF-8 in Qt's lossy
// form (U+FFFD for each such byte), names the bytes on disk again, component
// by component; a component that matches no entry or two stays as given.
TEST(LocalPath, ShownPathNamesTheBytesOnDisk) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QByteArray root = QFile::encodeName(temp.path()) + '/';
  const char* const folders[] = {"\x83\x76", "\xEF\xBE\x83\xEF\xBE\x9E"};  // CP932 "プ", UTF-8 "ﾃﾞ"
  const char* const files[] = {"\xEF\xBE\x83\xEF\xBE\x9E/\x83\x76\x83\x8D.m", "\xEF\xBE\x83\xEF\xBE\x9E/O1.m",
                               "\x83\x76/\xE5\x8A\xA0.s", "\x83\x76/\x83\x41.m", "\x83\x76/\x84\x41.m"};
  // Qt lists no name that is not UTF-8, so QTemporaryDir cannot remove them.
  const auto removeAll = qScopeGuard([&] {
    for (const char* file : files) ::unlink(root + file);
    for (const char* folder : folders) ::rmdir(root + folder);
  });
  for (const char* folder : folders) ASSERT_EQ(::mkdir(root + folder, 0700), 0);
  for (const char* file : files) {
    const int fd = ::open(root + file, O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0) << file;
    ::close(fd);
  }
  const struct {
    const char16_t* shown;
    QByteArray bytes;
  } cases[] = {
      {u"ﾃﾞ/\uFFFDv\uFFFD\uFFFD.m", "\xEF\xBE\x83\xEF\xBE\x9E/\x83\x76\x83\x8D.m"},  // CP932 file, UTF-8 folder
      {u"\uFFFDv/加.s", "\x83\x76/\xE5\x8A\xA0.s"},                          // UTF-8 file, CP932 folder
      {u"\uFFFDv/\uFFFDA.m", "\x83\x76/\xEF\xBF\xBD" "A.m"},                   // two files shown alike
      {u"\uFFFDv/new.m", "\x83\x76/new.m"},                                    // a new name to save under
      {u"\uFFFDx/\uFFFDv\uFFFD\uFFFD.m", "\xEF\xBF\xBDx/\xEF\xBF\xBDv\xEF\xBF\xBD\xEF\xBF\xBD.m"},  // no such folder
      {u"ﾃﾞ/O1.m", "\xEF\xBE\x83\xEF\xBE\x9E/O1.m"},                          // UTF-8 throughout
  };
  for (const auto& c : cases) {
    const QString shown = temp.path() + QLatin1Char('/') + QString::fromUtf16(c.shown);
    EXPECT_EQ(EncodeLocalPath(ResolveShownPath(shown)), root + c.bytes) << shown.toStdString();
  }
  // A path already byte-exact stays as it is.
  const QString exact = DecodeLocalPath(root + "\x83\x76/\x83\x41.m");
  EXPECT_EQ(ResolveShownPath(exact), exact);
}
