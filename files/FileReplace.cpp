#include "files/FileReplace.h"

#include <algorithm>
#include <utility>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/LocalPath.h"

namespace {


// A file descriptor, closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes it now; false when closing reports an error (a write that failed late).
  bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

bool Sync(int fd) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool WriteAll(int fd, const char* data, qint64 size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

// The whole content of the open file `fd`, read from its start.
bool ReadAll(int fd, QByteArray& bytes) {
  bytes.clear();
  if (::lseek(fd, 0, SEEK_SET) != 0) return false;
  char block[65536];
  for (;;) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    bytes.append(block, n);
  }
}

// The folder part of the path `name`: "." for a bare name, "/" for the root's files.
QByteArray FolderOf(const QByteArray& name) {
  const qsizetype slash = name.lastIndexOf('/');
  if (slash < 0) return QByteArrayLiteral(".");
  return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// Makes `bytes` the whole content of the open file `fd` and syncs it. With a
// `limit` of zero or more, stops after that many bytes and fails as on a
// full disk.
bool WriteContent(int fd, const QByteArray& bytes) {
  return ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes.constData(), bytes.size()) &&
         ::ftruncate(fd, bytes.size()) == 0 && Sync(fd);
}

// Writes the existing file in place: the inode, and with it every name, the
// owner and all attributes, stay. The old content is held in memory until the
// new one is on disk, and goes back if any step of writing the new one fails.
bool WriteInPlace(const QByteArray& name, const QByteArray& bytes) {
  // Read and write, which does not truncate: nothing changes before the old
  // content is read.
  Descriptor file(::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW));
  struct stat st;
  if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  QByteArray old;
  if (!ReadAll(file.get(), old) || old.size() != st.st_size) return false;
  if (WriteContent(file.get(), bytes)) return true;
  WriteContent(file.get(), old);
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

// Syncs the folder holding `name`, so that a rename in it is on disk. A file
// system that cannot sync folders says so with EINVAL; that is no failure.
bool SyncFolder(const QByteArray& name) {
  Descriptor folder(::open(FolderOf(name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return folder.get() >= 0 && (Sync(folder.get()) || errno == EINVAL);
}

// The permissions a file created now gets: all but those the umask takes away.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A name for a temporary file beside `name`, hidden, for mkstemp; the base
// name is shortened so that the temporary name fits where the file's does.
QByteArray TemporaryNameBeside(const QByteArray& name) {
  const qsizetype slash = name.lastIndexOf('/');
  const QByteArray base = name.mid(slash + 1).left(200);
  return name.left(slash + 1) + '.' + base + QByteArrayLiteral(".XXXXXX");
}

enum class Replaced {
  kDone,      // the new file has taken the old one's place, on disk
  kFailed,    // the new content could not be written; the old file is intact
  kNotHere,   // a new file here would not be the same file; nothing was changed
};

// Writes the produced content to a temporary file beside `name`, gives it the
// old file's owner, group and mode (`old`, or nullptr for a file not there
// yet), syncs it and renames it over `name`.
Replaced ReplaceByRename(const QByteArray& name, const ByteProducer& produce,
                         const struct stat* old) {
  // A file this process may not write is not replaced behind its back.
  if (old && ::access(name.constData(), W_OK) != 0) return Replaced::kNotHere;
  QByteArray temporary = TemporaryNameBeside(name);
  Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (file.get() < 0) return old ? Replaced::kNotHere : Replaced::kFailed;
  const auto discard = [&temporary](Replaced how) {
    ::unlink(temporary.constData());
    return how;
  };
  if (old && !KeepOwner(file.get(), *old)) return discard(Replaced::kNotHere);
  const int fd = file.get();
  const ByteSink write = [fd](QByteArrayView block) {
    return WriteAll(fd, block.data(), block.size());
  };
  // The mode goes on after the owner, since changing the owner clears the
  // set-user-ID and set-group-ID bits.
  const mode_t mode = old ? (old->st_mode & 07777) : NewFileMode();
  if (!produce(write) || ::fchmod(fd, mode) != 0 || !Sync(fd) || !file.close()) {
    return discard(Replaced::kFailed);
  }
  if (::rename(temporary.constData(), name.constData()) != 0) return discard(Replaced::kFailed);
  return SyncFolder(name) ? Replaced::kDone : Replaced::kFailed;
}

// True when a new file renamed over `name` would lose nothing the old one has
// beyond its owner and group, which the rename path keeps itself: no other
// name links to it and it carries no extended attributes (access control
// lists among them), which a new file would not have.
bool RenameCanKeepIdentity(const QByteArray& name, const struct stat& st) {
  if (st.st_nlink != 1) return false;
  const ssize_t attributes = ::listxattr(name.constData(), nullptr, 0);
  return attributes == 0 || (attributes < 0 && errno == ENOTSUP);
}

}  // namespace

bool ReplaceFileContent(const QString& file, const ByteProducer& produce) {
  const QByteArray name = EncodeLocalPath(file);
  struct stat st;
  if (::lstat(name.constData(), &st) != 0) {
    return errno == ENOENT && ReplaceByRename(name, produce, nullptr) == Replaced::kDone;
  }
  // A folder, a device, a pipe or a link is no program file.
  if (!S_ISREG(st.st_mode)) return false;
  if (RenameCanKeepIdentity(name, st)) {
    const Replaced replaced = ReplaceByRename(name, produce, &st);
    if (replaced != Replaced::kNotHere) return replaced == Replaced::kDone;
  }
  QByteArray bytes;
  const ByteSink gather = [&bytes](QByteArrayView block) {
    bytes.append(block);
    return true;
  };
  return produce(gather) && WriteInPlace(name, bytes);
}

