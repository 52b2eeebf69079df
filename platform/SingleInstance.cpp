#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include "platform/LocalPath.h"

namespace {

// "KST2": token, startup id and paths as bytes. "KST1": the paths alone, as
// starts of earlier versions send them.
constexpr char kTag[3] = {'K', 'S', 'T'};
constexpr qsizetype kTagSize = 4;
constexpr qsizetype kHeaderSize = kTagSize + 4;

// The length of the payload that follows a request's header (big-endian).
quint32 PayloadLength(const QByteArray& header) {
  return qFromBigEndian<quint32>(header.constData() + kTagSize);
}
// The largest payload the bounds allow.
constexpr quint32 kMaxPayload = 2 * (kMaxTokenBytes + 1) + kMaxHandOverPaths * (kMaxPathBytes + 1);
constexpr char kAck = '\x06';
constexpr char kNak = '\x15';

// How long a start keeps trying to reach a running instance or to become it,
// and how long it waits for the instance to take its paths: the instance
// answers from its event loop, which a long command (a program of hundreds of
// MB being read) holds for a while.
constexpr int kStartMs = 10000;
constexpr int kAnswerMs = 30000;
// A client that has not sent its whole request by then is dropped: a start
// sends it at once.
constexpr int kRequestMs = 2000;
// How often the server looks whether it still listens.
constexpr int kListeningCheckMs = 500;

// Whether `path` may be handed over: absolute and within PATH_MAX.
bool AcceptablePath(const QByteArray& path) {
  return path.startsWith('/') && path.size() <= kMaxPathBytes;
}

// Reads the payload's fields into `request`; false when one is out of bounds.
bool ReadPayload(char version, const QByteArray& payload, HandOverRequest& request) {
  QByteArrayList fields = payload.isEmpty() ? QByteArrayList() : payload.split('\0');
  if (version == '2') {
    if (fields.size() < 2 || fields[0].size() > kMaxTokenBytes || fields[1].size() > kMaxTokenBytes) {
      return false;
    }
    request.token = {fields[0], fields[1]};
    fields.remove(0, 2);
  }
  if (fields.size() > kMaxHandOverPaths) return false;
  for (const QByteArray& path : fields) {
    if (!AcceptablePath(path)) return false;
    request.paths << DecodeLocalPath(path);
  }
  return true;
}

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

QByteArray EncodeHandOver(const HandOverRequest& request) {
  QByteArray payload = request.token.activationToken + '\0' + request.token.startupId;
  for (const QString& path : request.paths) payload += '\0' + EncodeLocalPath(path);
  QByteArray bytes(kTag, sizeof kTag);
  bytes += '2';
  char length[4];
  qToBigEndian(static_cast<quint32>(payload.size()), length);
  bytes.append(length, 4);
  return bytes + payload;
}

qsizetype DecodeHandOver(const QByteArray& bytes, HandOverRequest& request) {
  const qsizetype tag = qMin<qsizetype>(bytes.size(), sizeof kTag);
  if (QByteArrayView(bytes).first(tag) != QByteArrayView(kTag, tag)) return -1;
  if (bytes.size() < kTagSize) return 0;
  const char version = bytes[sizeof kTag];
  if (version != '1' && version != '2') return -1;
  if (bytes.size() < kHeaderSize) return 0;
  const quint32 length = PayloadLength(bytes);
  if (length > kMaxPayload) return -1;
  if (bytes.size() - kHeaderSize < static_cast<qsizetype>(length)) return 0;
  request = HandOverRequest();
  if (!ReadPayload(version, bytes.mid(kHeaderSize, length), request)) return -1;
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
  clock_.start();
  listening_.setInterval(kListeningCheckMs);
  connect(&listening_, &QTimer::timeout, this, &SingleInstance::KeepListening);
}

SingleInstance::~SingleInstance() {
  // Stop answering before giving up the lock, so that a start that finds the
  // lock free finds no server either.
  listening_.stop();
  server_.close();
}

SingleInstance::Role SingleInstance::Start(const HandOverRequest& request) {
  if (socketPath_.isEmpty()) return Role::kAlone;
  const QDeadlineTimer deadline(kStartMs);
  for (;;) {
    switch (HandOver(request)) {
      case Delivery::kDelivered: return Role::kHandedOver;
      case Delivery::kNoAnswer: return Role::kNoAnswer;
      case Delivery::kRefused: return Role::kRefused;
      case Delivery::kNoServer: break;
    }
    if (lock_.tryLock(0)) return Serve() ? Role::kServer : Role::kAlone;
    // The lock file cannot be made at all: nobody can serve here.
    if (lock_.error() != QLockFile::LockFailedError) return Role::kAlone;
    // Another start holds the lock and is about to listen, or the instance
    // is busy with as many clients as it serves at once.
    if (deadline.hasExpired()) return Role::kNoAnswer;
    QThread::msleep(50);
  }
}

SingleInstance::Delivery SingleInstance::HandOver(const HandOverRequest& request) const {
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
  if (!socket.waitForConnected(1000)) return Delivery::kNoServer;
  socket.write(EncodeHandOver(request));
  const QDeadlineTimer deadline(kAnswerMs);
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
  }
  while (socket.bytesAvailable() == 0) {
    if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
  }
  char answer = 0;
  if (socket.getChar(&answer)) {
    if (answer == kAck) return Delivery::kDelivered;
    if (answer == kNak) return Delivery::kRefused;
  }
  // A server that went away before answering was ending, or had no room for
  // another client: try again. One that is still connected has not answered
  // in time.
  return socket.state() == QLocalSocket::ConnectedState ? Delivery::kNoAnswer
                                                        : Delivery::kNoServer;
}

bool SingleInstance::Serve() {
  if (Listen()) {
    listening_.start();
    return true;
  }
  lock_.unlock();
  return false;
}

bool SingleInstance::Listen() {
  // Holding the lock, no live server owns the socket: whatever lies at its
  // path was left by one that died, or by this one when it stopped.
  QLocalServer::removeServer(socketPath_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  return server_.listen(socketPath_);
}

void SingleInstance::KeepListening() {
  // QLocalServer closes itself, and removes its socket, when accepting a
  // connection fails (no descriptor left in the process): listen again, under
  // the lock this instance still holds, as soon as it can.
  if (!server_.isListening()) Listen();
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    if (!MakeRoom()) {
      // Closed at once, so that a flood of connections holds no descriptors.
      // A start that meets this tries again.
      socket->abort();
      delete socket;
      continue;
    }
    clients_.append({socket, clock_.elapsed()});
    connect(socket, &QObject::destroyed, this, [this, socket] {
      clients_.removeIf([socket](const auto& client) { return client.first == socket; });
    });
    socket->setReadBufferSize(kHeaderSize + kMaxPayload);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kRequestMs, socket, [socket] { Drop(socket); });
  }
  KeepListening();
}

bool SingleInstance::MakeRoom() {
  if (clients_.size() < kMaxClients) return true;
  const auto [oldest, since] = clients_.first();
  if (clock_.elapsed() - since < kIdleMs) return false;
  clients_.removeFirst();
  Drop(oldest);
  return true;
}

void SingleInstance::Drop(QLocalSocket* socket) {
  socket->abort();
  socket->deleteLater();
}

void SingleInstance::ReadRequest(QLocalSocket* socket) {
  // Look at the header first and take the request once it is all there.
  HandOverRequest request;
  const QByteArray header = socket->peek(kHeaderSize);
  qsizetype taken = DecodeHandOver(header, request);
  if (taken == 0 && header.size() == kHeaderSize) {
    const qsizetype size = kHeaderSize + PayloadLength(header);
    if (socket->bytesAvailable() < size) return;
    taken = DecodeHandOver(socket->read(size), request);
  }
  if (taken == 0) return;
  // Whatever the answer, this client is done.
  disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
  socket->putChar(taken < 0 ? kNak : kAck);
  socket->flush();
  socket->disconnectFromServer();
  if (taken > 0) emit Received(request);
}
