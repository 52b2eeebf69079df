#include "files/ProgramWriter.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "files/FileReplace.h"
#include "platform/LocalPath.h"

namespace {

// The file a save really replaces: the target of a symbolic link (so the link
// stays), otherwise the path itself. Worked out on the path's bytes, so that
// a name that is not UTF-8 names the same file.
QString FileToReplace(const QString& path) {
  const QByteArray name = EncodeLocalPath(path);
  struct stat st;
  if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  if (char* real = ::realpath(name.constData(), nullptr)) {
    const QString resolved = DecodeLocalPath(QByteArray(real));
    std::free(real);
    return resolved;
  }
  // A link to a file not there yet: the file it names, which a save creates.
  QByteArray target(PATH_MAX, Qt::Uninitialized);
  const ssize_t length = ::readlink(name.constData(), target.data(), size_t(target.size()));
  if (length <= 0 || length >= target.size()) return QString();
  target.truncate(length);
  if (!target.startsWith('/')) target.prepend(name.left(name.lastIndexOf('/') + 1));
  return DecodeLocalPath(target);
}

}  // namespace

bool WriteFileBlocks(const QString& path, const ByteProducer& produce, ProgressStages* progress) {
  const QString target = FileToReplace(path);
  return !target.isEmpty() && ReplaceFileContent(target, produce, progress);
}
