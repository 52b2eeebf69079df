#include "files/FileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

qint64 inPlaceWriteBudget = -1;

bool Sync(int fd) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Makes `bytes` the whole content of the open `file` and syncs it. With a
// `limit` of zero or more, stops after that many bytes and fails as on a
// full disk.
bool WriteContent(QFile& file, const QByteArray& bytes, qint64 limit) {
  const qint64 size = limit < 0 ? bytes.size() : std::min<qint64>(limit, bytes.size());
  return file.seek(0) && file.write(bytes.constData(), size) == size && size == bytes.size() &&
         file.resize(size) && Sync(file.handle());
}

// Writes the existing file in place: the inode, and with it every name, the
// owner and all attributes, stay. The old content is held in memory until the
// new one is on disk, and goes back if any step of writing the new one fails.
bool WriteInPlace(const QString& path, const QByteArray& bytes) {
  // Read and write, which does not truncate: nothing changes before the old
  // content is read. Unbuffered, so that each write reaches the file at once.
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return false;
  const QByteArray old = file.readAll();
  if (file.error() != QFileDevice::NoError || old.size() != file.size()) return false;
  if (WriteContent(file, bytes, inPlaceWriteBudget)) return true;
  WriteContent(file, old, -1);
  return false;
}

// True when the process can give the new file `fd` the owner and group in
// `old`: they already match, or it may change them.
bool KeepOwner(int fd, const struct stat& old) {
  struct stat now;
  if (::fstat(fd, &now) != 0) return false;
  if (now.st_uid == old.st_uid && now.st_gid == old.st_gid) return true;
  return ::fchown(fd, old.st_uid, old.st_gid) == 0;
}

// Syncs the folder holding `file`, so that a rename in it is on disk. A file
// system that cannot sync folders says so with EINVAL; that is no failure.
bool SyncFolder(const QString& file) {
  const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = Sync(fd) || errno == EINVAL;
  ::close(fd);
  return synced;
}

enum class Replaced {
  kDone,      // the new file has taken the old one's place, on disk
  kFailed,    // the new content could not be written; the old file is intact
  kNotHere,   // a new file here would not be the same file; nothing was changed
};

// Writes the produced content to a temporary file beside `file`, gives it the
// old file's owner, group and mode (`old`, or nullptr for a file not there
// yet), syncs it and renames it over `file`.
Replaced ReplaceByRename(const QString& file, const ByteProducer& produce, const struct stat* old) {
  QSaveFile save(file);
  if (!save.open(QIODevice::WriteOnly)) return old ? Replaced::kNotHere : Replaced::kFailed;
  const int fd = save.handle();
  if (old && !KeepOwner(fd, *old)) {
    save.cancelWriting();
    return Replaced::kNotHere;
  }
  // The mode goes on after the owner, since changing the owner clears the
  // set-user-ID and set-group-ID bits.
  const ByteSink write = [&save](QByteArrayView block) {
    return save.write(block.data(), block.size()) == block.size();
  };
  const bool written = produce(write) && save.flush() &&
                       (!old || ::fchmod(fd, old->st_mode & 07777) == 0) && Sync(fd);
  if (!written) {
    save.cancelWriting();
    return Replaced::kFailed;
  }
  if (!save.commit()) return Replaced::kFailed;
  return SyncFolder(file) ? Replaced::kDone : Replaced::kFailed;
}

// True when a new file renamed over `file` would lose nothing the old one has
// beyond its owner and group, which the rename path keeps itself: no other
// name links to it and it carries no extended attributes (access control
// lists among them), which a new file would not have.
bool RenameCanKeepIdentity(const QByteArray& name, const struct stat& st) {
  if (st.st_nlink != 1) return false;
  const ssize_t attributes = ::listxattr(name.constData(), nullptr, 0);
  return attributes == 0 || (attributes < 0 && errno == ENOTSUP);
}

}  // namespace

bool ReplaceFileContent(const QString& file, const QByteArray& bytes) {
  return ReplaceFileContent(file, [&bytes](const ByteSink& sink) { return sink(bytes); });
}

bool ReplaceFileContent(const QString& file, const ByteProducer& produce) {
  const QByteArray name = QFile::encodeName(file);
  struct stat st;
  if (::stat(name.constData(), &st) != 0) {
    return errno == ENOENT && ReplaceByRename(file, produce, nullptr) == Replaced::kDone;
  }
  // A folder, a device or a pipe is no program file.
  if (!S_ISREG(st.st_mode)) return false;
  if (RenameCanKeepIdentity(name, st)) {
    const Replaced replaced = ReplaceByRename(file, produce, &st);
    if (replaced != Replaced::kNotHere) return replaced == Replaced::kDone;
  }
  QByteArray bytes;
  const ByteSink gather = [&bytes](QByteArrayView block) {
    bytes.append(block);
    return true;
  };
  return produce(gather) && WriteInPlace(file, bytes);
}

void SetInPlaceWriteBudgetForTesting(qint64 bytes) { inPlaceWriteBudget = bytes; }
