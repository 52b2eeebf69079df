#include "platform/StartPaths.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/LocalPath.h"
#include "platform/SingleInstance.h"

namespace {

// Whether `path` (clean, absolute) names something through the starting
// process itself: its standard streams, its descriptors, its /proc entry.
bool IsProcessRelative(const QByteArray& path, qint64 ownPid) {
  const QByteArrayList words = path.split('/');  // "", "dev", "stdin", ...
  if (words.size() < 3) return false;
  if (words[1] == "dev") {
    return words[2] == "stdin" || words[2] == "stdout" || words[2] == "stderr" || words[2] == "fd";
  }
  if (words[1] == "proc") {
    return words[2] == "self" || words[2] == "thread-self" || words[2] == QByteArray::number(ownPid);
  }
  return false;
}

// Why what `path` names cannot be handed on, from its kind.
QString Refusal(const QByteArray& path) {
  struct stat info {};
  if (::stat(path.constData(), &info) != 0) return QStringLiteral("ファイルが見つかりません。");
  if (S_ISFIFO(info.st_mode)) {
    return QStringLiteral("パイプの中身は開けません。ファイルに保存してから開いてください。");
  }
  if (S_ISSOCK(info.st_mode)) return QStringLiteral("ソケットは開けません。");
  if (S_ISCHR(info.st_mode)) return QStringLiteral("端末や装置は開けません。");
  if (S_ISDIR(info.st_mode)) return QStringLiteral("フォルダは開けません。");
  // A regular file without a name: deleted, or made in memory.
  return QStringLiteral("名前のないファイルは開けません。ファイルに保存してから開いてください。");
}

// The file on disk that the process-relative `path` names, or a refusal.
QByteArray ResolveOwn(const QByteArray& path, QString& refusal) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr),
                                                         &std::free);
  struct stat info {};
  if (real && ::stat(real.get(), &info) == 0 && S_ISREG(info.st_mode)) return QByteArray(real.get());
  refusal = Refusal(real ? QByteArray(real.get()) : path);
  return QByteArray();
}

QString Line(const QByteArray& name, const QString& sentence) {
  return QStringLiteral("kesto: %1: %2").arg(DisplayLocalPath(DecodeLocalPath(name)), sentence);
}

}  // namespace

QByteArray CleanAbsolutePath(const QByteArray& path) {
  QByteArrayList kept;
  for (const QByteArray& word : path.split('/')) {
    if (word.isEmpty() || word == ".") continue;
    if (word == "..") {
      if (!kept.isEmpty()) kept.removeLast();
      continue;
    }
    kept << word;
  }
  return '/' + kept.join('/');
}

StartPaths ResolveStartPaths(const QByteArrayList& names, const QByteArray& workingFolder,
                             qint64 ownPid) {
  StartPaths result;
  if (names.size() > kMaxHandOverPaths) {
    result.errors << QStringLiteral("kesto: 一度に開けるファイルは %1 個までです（%2 個が指定されました）。")
                         .arg(kMaxHandOverPaths)
                         .arg(names.size());
    return result;
  }
  for (const QByteArray& name : names) {
    if (!name.startsWith('/') && workingFolder.isEmpty()) {
      result.errors << Line(name, QStringLiteral("現在のフォルダが分からないため開けません。"));
      continue;
    }
    QByteArray path = CleanAbsolutePath(name.startsWith('/') ? name : workingFolder + '/' + name);
    if (IsProcessRelative(path, ownPid)) {
      QString refusal;
      path = ResolveOwn(path, refusal);
      if (path.isEmpty()) {
        result.errors << Line(name, refusal);
        continue;
      }
    }
    if (path.size() > kMaxPathBytes) {
      result.errors << Line(name.left(200) + "...",
                            QStringLiteral("パスが長すぎます（%1 バイトまで）。").arg(kMaxPathBytes));
      continue;
    }
    result.paths << DecodeLocalPath(path);
  }
  return result;
}
