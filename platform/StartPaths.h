#pragma once
// The command line's file names as paths that the frame can open, whichever
// process the frame runs in. A relative name is taken from the folder of the
// start that named it. A name that only means something in the starting
// process (/dev/stdin, /dev/fd/N, /proc/self/...) is resolved here to the file
// it names; what is no file on disk (a pipe, a socket, a terminal) cannot be
// handed on and is refused with a sentence for standard error.

#include <QByteArray>
#include <QByteArrayList>
#include <QStringList>

struct StartPaths {
  QStringList paths;   // absolute, as LocalPath texts, in the order named
  QStringList errors;  // one line each, "kesto: NAME: sentence"; empty when all are fine
};

// Resolves `names` (as given on the command line) against `workingFolder`
// (the start's current folder, as bytes) for the process `ownPid`.
StartPaths ResolveStartPaths(const QByteArrayList& names, const QByteArray& workingFolder,
                             qint64 ownPid);

// `path` (absolute) with ".", ".." and repeated slashes taken out, as words of
// the path, without consulting the file system.
QByteArray CleanAbsolutePath(const QByteArray& path);
