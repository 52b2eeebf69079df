// The request a later start sends to the running instance, read as a server
// reads it from its socket: in pieces, and from anybody who can connect.

#include <QStringList>
#include <gtest/gtest.h>

#include "platform/SingleInstance.h"

namespace {

TEST(SingleInstanceTest, RequestsRoundTripInAnyPiecesAndStrangersAreRefused) {
  const QList<QStringList> cases = {
      {},
      {QStringLiteral("/a.m")},
      {QStringLiteral("/with space/加工 1.m"), QStringLiteral("/line\nbreak.s"), QStringLiteral("/b")},
  };
  for (const QStringList& paths : cases) {
    SCOPED_TRACE(paths.join(u'|').toStdString());
    const QByteArray request = EncodeHandOver(paths);
    QStringList read;
    for (qsizetype n = 0; n < request.size(); ++n) EXPECT_EQ(DecodeHandOver(request.first(n), read), 0);
    // A second request behind the first is left for later.
    EXPECT_EQ(DecodeHandOver(request + EncodeHandOver({QStringLiteral("/next")}), read),
              request.size());
    EXPECT_EQ(read, paths);
  }

  QStringList read;
  EXPECT_EQ(DecodeHandOver("GET / HTTP/1.0\r\n", read), -1);
  EXPECT_EQ(DecodeHandOver("KX", read), -1);
  // A length beyond any command line is refused before anything is buffered.
  EXPECT_EQ(DecodeHandOver(QByteArray("KST1\x7f\xff\xff\xff", 8), read), -1);
}

}  // namespace
