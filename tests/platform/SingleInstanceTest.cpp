// The request a later start sends to the running instance, read as a server
// reads it from its socket: in pieces, and from anybody who can connect; and
// the server itself under what a hostile process of the same user can do.

#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/LocalPath.h"
#include "platform/SingleInstance.h"

namespace {

const QString kCp932Name = DecodeLocalPath("/\x89\xc1\x8d\x48.m");

TEST(SingleInstanceTest, RequestsRoundTripInAnyPiecesAndStrangersAreRefused) {
  const QList<HandOverRequest> cases = {
      {},
      {{QStringLiteral("/a.m")}, {"token-1", "kesto-1-host_TIME42"}},
      {{QStringLiteral("/with space/加工 1.m"), QStringLiteral("/line\nbreak.s"), kCp932Name}, {}},
  };
  for (const HandOverRequest& request : cases) {
    SCOPED_TRACE(request.paths.join(u'|').toStdString());
    const QByteArray bytes = EncodeHandOver(request);
    HandOverRequest read;
    for (qsizetype n = 0; n < bytes.size(); ++n) EXPECT_EQ(DecodeHandOver(bytes.first(n), read), 0);
    // A second request behind the first is left for later.
    EXPECT_EQ(DecodeHandOver(bytes + EncodeHandOver({{QStringLiteral("/next")}, {}}), read), bytes.size());
    EXPECT_EQ(read.paths, request.paths);
    EXPECT_EQ(read.token.activationToken, request.token.activationToken);
    EXPECT_EQ(read.token.startupId, request.token.startupId);
  }
  // A start of an earlier version sends its paths alone, in UTF-8.
  HandOverRequest read;
  EXPECT_EQ(DecodeHandOver(QByteArray("KST1\0\0\0\x07/a\0/b.m", 15), read), 15);
  EXPECT_EQ(read.paths, (QStringList{QStringLiteral("/a"), QStringLiteral("/b.m")}));

  EXPECT_EQ(DecodeHandOver("GET / HTTP/1.0\r\n", read), -1);
  EXPECT_EQ(DecodeHandOver("KX", read), -1);
  EXPECT_EQ(DecodeHandOver("KST9", read), -1);
  // A length beyond the bounds is refused before anything is buffered.
  EXPECT_EQ(DecodeHandOver(QByteArray("KST2\x7f\xff\xff\xff", 8), read), -1);
  // Out of bounds: a path no system call takes, a relative or empty path, too
  // many paths, an overlong token.
  const QString longest = u'/' + QString(kMaxPathBytes - 1, u'a');
  EXPECT_GT(DecodeHandOver(EncodeHandOver({{longest}, {}}), read), 0);
  const QList<HandOverRequest> refused = {
      {{longest + u'a'}, {}},
      {{QStringLiteral("a.m")}, {}},
      {{QString()}, {}},
      {QStringList(kMaxHandOverPaths + 1, QStringLiteral("/a.m")), {}},
      {{}, {QByteArray(kMaxTokenBytes + 1, 't'), {}}},
  };
  for (const HandOverRequest& request : refused) EXPECT_EQ(DecodeHandOver(EncodeHandOver(request), read), -1);
}

// A server of its own name in this thread, and what clients see of it.
class LiveServer {
 public:
  explicit LiveServer(const QString& name) : name_(name), server_(name) {
    QObject::connect(&server_, &SingleInstance::Received,
                     [this](const HandOverRequest& request) { received_ << request; });
  }
  SingleInstance::Role Start() { return server_.Start({}); }
  QByteArray SocketPath() const {
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                             u'/' + name_ + QStringLiteral("-offscreen.socket"));
  }
  // A start made as another process makes it: it blocks until answered, and
  // this thread's event loop answers.
  SingleInstance::Role HandOver(const HandOverRequest& request) {
    auto role = std::async(std::launch::async, [&] { return SingleInstance(name_).Start(request); });
    while (role.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) QTest::qWait(5);
    return role.get();
  }
  const QList<HandOverRequest>& Received() const { return received_; }

 private:
  QString name_;
  SingleInstance server_;
  QList<HandOverRequest> received_;
};

int Connect(const QByteArray& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), path.size());
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// What the server last did to the client `fd`: its answer byte, 0 for
// closed without one, -1 for nothing yet.
int Answer(int fd) {
  char answer = 0;
  const ssize_t n = ::recv(fd, &answer, 1, MSG_DONTWAIT);
  if (n > 0) return static_cast<unsigned char>(answer);
  // Closed with data of ours unread, the connection is reset.
  return n == 0 || errno != EAGAIN ? 0 : -1;
}

TEST(SingleInstanceTest, AFloodOfClientsGetsAFewSlotsThatExpireAndAStartStillHandsOver) {
  LiveServer server(QStringLiteral("kesto-flood"));
  ASSERT_EQ(server.Start(), SingleInstance::Role::kServer);
  QList<int> flood;
  for (int i = 0; i < 40; ++i) {
    flood << Connect(server.SocketPath());
    ASSERT_GE(flood.last(), 0);
    // Half of them send half a request and stop.
    if (i % 2) {
      ASSERT_EQ(::send(flood.last(), "KST2\0\0", 6, MSG_NOSIGNAL), 6);
    }
  }
  const auto closed = [&] { return std::count_if(flood.begin(), flood.end(), [](int fd) { return Answer(fd) == 0; }); };
  for (int i = 0; i < 100 && closed() < 40 - SingleInstance::kMaxClients; ++i) QTest::qWait(20);
  QTest::qWait(100);
  EXPECT_EQ(closed(), 40 - SingleInstance::kMaxClients);

  // The start is refused while the flood holds every slot, tries again, and
  // gets in by pushing out a client that has sent no request in time.
  const HandOverRequest request{{kCp932Name, QStringLiteral("/b.m")}, {"xdg-token", "id_TIME7"}};
  EXPECT_EQ(server.HandOver(request), SingleInstance::Role::kHandedOver);
  // The rest are dropped at their deadline.
  for (int i = 0; i < 100 && closed() < 40; ++i) QTest::qWait(50);
  EXPECT_EQ(closed(), 40);
  ASSERT_EQ(server.Received().size(), 1);
  EXPECT_EQ(server.Received()[0].paths, request.paths);
  EXPECT_EQ(server.Received()[0].token.startupId, "id_TIME7");
  for (const int fd : flood) ::close(fd);
}

TEST(SingleInstanceTest, RequestsOutOfBoundsAreAnsweredNoAndNotTaken) {
  LiveServer server(QStringLiteral("kesto-bounds"));
  ASSERT_EQ(server.Start(), SingleInstance::Role::kServer);
  const QByteArray requests[] = {
      QByteArray("KST2\x7f\xff\xff\xff", 8),
      EncodeHandOver({{QStringLiteral("relative.m")}, {}}),
      EncodeHandOver({{u'/' + QString(kMaxPathBytes, u'a')}, {}}),
  };
  for (const QByteArray& request : requests) {
    const int fd = Connect(server.SocketPath());
    ASSERT_EQ(::send(fd, request.constData(), request.size(), MSG_NOSIGNAL), request.size());
    int answer = -1;
    for (int i = 0; i < 200 && answer < 0; ++i) {
      QTest::qWait(5);
      answer = Answer(fd);
    }
    EXPECT_EQ(answer, 0x15);
    ::close(fd);
  }
  EXPECT_TRUE(server.Received().isEmpty());
  EXPECT_EQ(server.HandOver({{QStringLiteral("/a.m")}, {}}), SingleInstance::Role::kHandedOver);
}

TEST(SingleInstanceTest, AServerThatTheSystemStoppedListensAgain) {
  LiveServer server(QStringLiteral("kesto-relisten"));
  ASSERT_EQ(server.Start(), SingleInstance::Role::kServer);
  // Every descriptor of the process taken: the server cannot accept the
  // client that took the last one, and QLocalServer closes itself.
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlimit low{256, limit.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  QList<int> taken;
  for (int fd; (fd = ::dup(0)) >= 0;) taken << fd;
  ::close(taken.takeLast());
  const int client = Connect(server.SocketPath());
  ASSERT_GE(client, 0);
  QTest::qWait(100);
  EXPECT_FALSE(QFile::exists(QFile::decodeName(server.SocketPath())));
  for (const int fd : taken) ::close(fd);
  ::close(client);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);

  EXPECT_EQ(server.HandOver({{QStringLiteral("/a.m")}, {}}), SingleInstance::Role::kHandedOver);
  EXPECT_EQ(server.Received().size(), 1);
}

}  // namespace
