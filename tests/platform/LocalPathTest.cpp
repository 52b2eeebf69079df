#include "platform/LocalPath.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

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
