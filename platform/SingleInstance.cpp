#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>

namespace {

constexpr char kTag[4] = {'K', 'S', 'T', '1'};
constexpr qsizetype kHeaderSize = sizeof kTag + 4;

// The length of the paths that follow a request's header (big-endian).
quint32 PayloadLength(const QByteArray& header) {
  return qFromBigEndian<quint32>(header.constData() + sizeof kTag);
}
// More than any command line or drop carries.
constexpr quint32 kMaxPayload = 16u << 20;
constexpr char kAck = '\x06';

// How long a start keeps trying to reach a running instance or to become it,
// and how long it waits for the instance to take its paths: the instance
// answers from its event loop, which a long command (a program of hundreds of
// MB being read) holds for a while.
constexpr int kStartMs = 10000;
constexpr int kAnswerMs = 30000;
// A client that has not sent its whole request by then is dropped.
constexpr int kRequestMs = 10000;

// The display this process shows its windows on, as part of a file name: a
// user logged in on two displays gets an instance on each.
QString DisplayKey() {
  const QString platform = QGuiApplication::platformName();
  QString display;
  if (platform == u"xcb") {
    display = qEnvironmentVariable("DISPLAY");
    // ":0" and ":0.0" are the same display.
    display.remove(QRegularExpression(QStringLiteral("\\.\\d+$")));
  } else if (platform.startsWith(u"wayland")) {
    display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
  }
  QString key = display.isEmpty() ? platform : platform + u'-' + display;
  key.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
  return key;
}

QString BasePath(const QString& name) {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) return QString();
  return folder + u'/' + name + u'-' + DisplayKey();
}

}  // namespace

QByteArray EncodeHandOver(const QStringList& paths) {
  QByteArray payload;
  for (qsizetype i = 0; i < paths.size(); ++i) {
    if (i > 0) payload += '\0';
    payload += paths[i].toUtf8();
  }
  QByteArray request(kTag, sizeof kTag);
  char length[4];
  qToBigEndian(static_cast<quint32>(payload.size()), length);
  request.append(length, 4);
  return request + payload;
}

qsizetype DecodeHandOver(const QByteArray& bytes, QStringList& paths) {
  const qsizetype tag = qMin<qsizetype>(bytes.size(), sizeof kTag);
  if (QByteArrayView(bytes).first(tag) != QByteArrayView(kTag, tag)) return -1;
  if (bytes.size() < kHeaderSize) return 0;
  const quint32 length = PayloadLength(bytes);
  if (length > kMaxPayload) return -1;
  if (bytes.size() - kHeaderSize < static_cast<qsizetype>(length)) return 0;
  paths.clear();
  if (length > 0) {
    const QByteArray payload = bytes.mid(kHeaderSize, length);
    for (const QByteArray& path : payload.split('\0')) paths << QString::fromUtf8(path);
  }
  return kHeaderSize + length;
}

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent),
      base_(BasePath(name)),
      socketPath_(base_.isEmpty() ? QString() : base_ + QStringLiteral(".socket")),
      lock_(base_.isEmpty() ? QString() : base_ + QStringLiteral(".lock")) {
  // The lock is held for as long as the instance runs; only a dead holder
  // makes it stale, never its age.
  lock_.setStaleLockTime(0);
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

SingleInstance::~SingleInstance() {
  // Stop answering before giving up the lock, so that a start that finds the
  // lock free finds no server either.
  server_.close();
}

SingleInstance::Role SingleInstance::Start(const QStringList& paths) {
  if (socketPath_.isEmpty()) return Role::kAlone;
  const QDeadlineTimer deadline(kStartMs);
  for (;;) {
    switch (HandOver(paths)) {
      case Delivery::kDelivered: return Role::kHandedOver;
      case Delivery::kNoAnswer: return Role::kNoAnswer;
      case Delivery::kNoServer: break;
    }
    if (lock_.tryLock(0)) return Serve() ? Role::kServer : Role::kAlone;
    // The lock file cannot be made at all: nobody can serve here.
    if (lock_.error() != QLockFile::LockFailedError) return Role::kAlone;
    // Another start holds the lock and is about to listen.
    if (deadline.hasExpired()) return Role::kNoAnswer;
    QThread::msleep(50);
  }
}

SingleInstance::Delivery SingleInstance::HandOver(const QStringList& paths) const {
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
  if (!socket.waitForConnected(1000)) return Delivery::kNoServer;
  socket.write(EncodeHandOver(paths));
  const QDeadlineTimer deadline(kAnswerMs);
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
  }
  while (socket.bytesAvailable() == 0) {
    if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
  }
  char answer = 0;
  if (socket.getChar(&answer) && answer == kAck) return Delivery::kDelivered;
  // A server that went away before answering was ending: take its place.
  // One that is still connected has not answered in time.
  return socket.state() == QLocalSocket::ConnectedState ? Delivery::kNoAnswer
                                                        : Delivery::kNoServer;
}

bool SingleInstance::Serve() {
  // Holding the lock, no live server owns the socket: whatever lies at its
  // path was left by one that died.
  QLocalServer::removeServer(socketPath_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(socketPath_)) return true;
  lock_.unlock();
  return false;
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kRequestMs, socket, [socket] { socket->abort(); });
  }
}

void SingleInstance::ReadRequest(QLocalSocket* socket) {
  // Look at the header first and take the request once it is all there.
  QStringList paths;
  const QByteArray header = socket->peek(kHeaderSize);
  if (DecodeHandOver(header, paths) < 0) {
    socket->abort();
    return;
  }
  if (header.size() < kHeaderSize) return;
  const qsizetype size = kHeaderSize + PayloadLength(header);
  if (socket->bytesAvailable() < size) return;
  DecodeHandOver(socket->read(size), paths);
  socket->putChar(kAck);
  socket->flush();
  socket->disconnectFromServer();
  emit Received(paths);
}
