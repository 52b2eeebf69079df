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

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalSocket;

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Role {
    kServer,      // this process runs the program and receives hand-overs
    kHandedOver,  // the running instance took the paths: end with success
    kAlone,       // no socket or lock can be made here: run on its own
    kNoAnswer,    // an instance runs but did not take the paths in time
  };

  // `name` names the socket and the lock file ("kesto").
  explicit SingleInstance(const QString& name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Hands `paths` (absolute) to the running instance or becomes it. Needs a
  // QGuiApplication: the display is part of the socket's name.
  Role Start(const QStringList& paths);

 signals:
  // Another start handed over these paths; empty when it was given none.
  void Received(const QStringList& paths);

 private:
  enum class Delivery { kDelivered, kNoServer, kNoAnswer };
  Delivery HandOver(const QStringList& paths) const;
  bool Serve();
  void Accept();
  void ReadRequest(QLocalSocket* socket);

  const QString base_;  // the socket's and the lock's path without their endings
  QString socketPath_;
  QLockFile lock_;
  QLocalServer server_;
};

// The request a start sends: a tag, the payload's length (32 bits, big
// endian) and the payload, the paths in UTF-8 separated by NUL.
QByteArray EncodeHandOver(const QStringList& paths);

// Reads one request from the front of `bytes`. Returns the number of bytes it
// took, 0 when more are needed, -1 when `bytes` is not a request.
qsizetype DecodeHandOver(const QByteArray& bytes, QStringList& paths);
