#pragma once
// One running instance of a program per user and display. The first start
// serves; a later start hands its file names to it and ends.
//
// The server listens on a local socket in the user's runtime folder
// ($XDG_RUNTIME_DIR: private to the user, emptied at logout), not in /tmp,
// where every user could create or take the name. A lock file next to the
// socket decides which of two simultaneous starts serves, and lets a new
// start replace the socket of one that crashed: the lock of a dead process is
// stale, the socket it left behind answers nobody.
//
// Anything running as the user can connect, so the server holds against
// whatever it is sent: a few clients at a time (the rest are closed at once),
// each with a short deadline for its whole request, requests of a bounded
// size, and a listener that comes back if the system ever stops it.

#include <QElapsedTimer>
#include <QList>
#include <QLocalServer>
#include <QPair>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "platform/WindowPlacement.h"

class QLocalSocket;

// What one request may carry: a path must fit a system call (PATH_MAX with
// its closing NUL), a launch token is short.
inline constexpr qsizetype kMaxHandOverPaths = 1024;
inline constexpr qsizetype kMaxPathBytes = 4095;
inline constexpr qsizetype kMaxTokenBytes = 1024;

// What a start hands to the running instance.
struct HandOverRequest {
  QStringList paths;  // absolute, as LocalPath texts
  LaunchToken token;  // of the start's launcher, for raising the frame
};

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Role {
    kServer,      // this process runs the program and receives hand-overs
    kHandedOver,  // the running instance took the paths: end with success
    kAlone,       // no socket or lock can be made here: run on its own
    kNoAnswer,    // an instance runs but did not take the paths in time
    kRefused,     // the running instance refused the request as too large
  };

  // `name` names the socket and the lock file ("kesto").
  explicit SingleInstance(const QString& name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Hands `request` to the running instance or becomes it. Needs a
  // QGuiApplication: the display is part of the socket's name.
  Role Start(const HandOverRequest& request);

  // The clients served at once. When all are taken, one that came makes
  // room by closing the oldest if that has had kIdleMs to send its request
  // (a start sends it at once); otherwise it is closed itself.
  static constexpr int kMaxClients = 16;
  static constexpr int kIdleMs = 500;

 signals:
  // Another start handed this over; its paths are empty when it named none.
  void Received(const HandOverRequest& request);

 private:
  enum class Delivery { kDelivered, kNoServer, kNoAnswer, kRefused };
  Delivery HandOver(const HandOverRequest& request) const;
  bool Serve();
  bool Listen();
  void KeepListening();
  void Accept();
  bool MakeRoom();
  static void Drop(QLocalSocket* socket);
  void ReadRequest(QLocalSocket* socket);

  const QString base_;  // the socket's and the lock's path without their endings
  QString socketPath_;
  QLockFile lock_;
  // The connections being served, oldest first, with when each came.
  // Declared before the server, whose sockets leave this list as they go.
  QList<QPair<QLocalSocket*, qint64>> clients_;
  QElapsedTimer clock_;
  QLocalServer server_;
  QTimer listening_;  // looks whether the server still listens
};

// The request a start sends: a tag, the payload's length (32 bits, big
// endian) and the payload: the activation token, the startup id, then each
// path, NUL between them; paths as the bytes the file system holds.
QByteArray EncodeHandOver(const HandOverRequest& request);

// Reads one request from the front of `bytes`. Returns the number of bytes it
// took, 0 when more are needed, -1 when `bytes` is not a request or exceeds
// the bounds above. Also reads the paths-only requests of earlier versions.
qsizetype DecodeHandOver(const QByteArray& bytes, HandOverRequest& request);
