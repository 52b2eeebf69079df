#pragma once
// Program files of CAM size on disk for the open and save benchmarks, written
// once per run and shared by every benchmark that opens the same size, and
// the memory of the process.

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <map>
#include <utility>

#include "NcProgram.h"

// The program with a Japanese comment line ("(荒加工 工具交換 T01)" in CP932)
// after every 40th line, as CAM systems annotate tool changes and passes.
inline QByteArray MakeCommentedNcProgramBytes(qsizetype bytes) {
  static const QByteArray kComment("(\x8D\x72\x89\xC1\x8D\x48 \x8D\x48\x8B\xEF\x8C\xF0\x8A\xB7 T01)\r\n");
  const QByteArray plain = MakeNcProgramBytes(bytes);
  QByteArray out;
  out.reserve(plain.size() + plain.size() / 20);
  qsizetype line = 0;
  for (qsizetype from = 0; from < plain.size() && out.size() < bytes;) {
    const qsizetype end = plain.indexOf('\n', from) + 1;
    out.append(plain.constData() + from, end - from);
    if (++line % 40 == 0) out += kComment;
    from = end;
  }
  return out;
}

// The path of a program file of about `megabytes` MB; `commented` picks the
// program with Japanese comments.
inline QString ProgramFile(qsizetype megabytes, bool commented = false) {
  static QTemporaryDir dir;
  static std::map<std::pair<qsizetype, bool>, QString> files;
  const auto key = std::make_pair(megabytes, commented);
  auto it = files.find(key);
  if (it != files.end()) return it->second;
  const QString path = dir.filePath(QStringLiteral("P%1%2.m").arg(megabytes).arg(commented ? "j" : ""));
  // Made in a child process, so that the program's bytes do not count in
  // this process's memory.
  const QByteArray name = path.toLocal8Bit();
  const pid_t child = fork();
  if (child == 0) {
    const qsizetype size = megabytes << 20;
    const QByteArray bytes = commented ? MakeCommentedNcProgramBytes(size) : MakeNcProgramBytes(size);
    FILE* file = std::fopen(name.constData(), "wb");
    const bool ok = file && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
    _exit(file && std::fclose(file) == 0 && ok ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || status != 0) return QString();
  return files[key] = path;
}

// The process's resident memory now, and its peak since the last reset, from
// /proc (the peak is reset by writing 5 to clear_refs), so that one step's
// peak is measured apart from what the process did before it.
inline double RssFieldMiB(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(field)) return line.mid(qstrlen(field)).trimmed().split(' ')[0].toDouble() / 1024;
  }
  return -1;
}
inline double CurrentRssMiB() { return RssFieldMiB("VmRSS:"); }
inline double PeakRssMiB() { return RssFieldMiB("VmHWM:"); }
inline void ResetPeakRss() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

// The shell command that has vim read the file and quit, or "" without vim.
inline QByteArray VimOpenCommand(const QString& path) {
  QString vim = QStandardPaths::findExecutable(QStringLiteral("vim"));
  if (vim.isEmpty()) vim = QStandardPaths::findExecutable(QStringLiteral("vim.tiny"));
  if (vim.isEmpty()) return QByteArray();
  return (vim + QStringLiteral(" -u NONE -N -es -c q ") + path + QStringLiteral(" </dev/null"))
      .toLocal8Bit();
}
