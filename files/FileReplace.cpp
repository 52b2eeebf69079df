#include "files/FileReplace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <system_error>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/LocalPath.h"

namespace {

// Where the stages of a replacement end, in millionths of the whole. On the
// rename path the blocks are written as they are produced, up to the final
// sync; an in-place write gathers the content, reads the old one and then
// writes the new.
constexpr int64_t kWritten = 990'000;
constexpr int64_t kGathered = 400'000;
constexpr int64_t kOldRead = 500'000;
// The bytes an in-place write writes between two reports.
constexpr qint64 kReportEvery = qint64(1) << 20;

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

// Runs `step`, a call into the file system that cannot be broken off and may
// take long on slow media (a sync; a rename that frees the old file's
// blocks). Told to `progress`, it runs on a thread of its own while this one
// reports the stage's start every few milliseconds; a stop asked for
// meanwhile stays in `progress` for the caller to act on afterwards.
bool RunReporting(const std::function<bool()>& step, ProgressStages& progress) {
  if (!progress.Listened()) return step();
  std::future<bool> done;
  try {
    done = std::async(std::launch::async, step);
  } catch (const std::system_error&) {
    return step();  // no thread to be had: the step runs here
  }
  while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    if (progress.Stopped()) {
      progress.Keep();
    } else {
      progress.Report(0, 1);
    }
  }
  return done.get();
}

bool SyncReporting(int fd, ProgressStages& progress) {
  return RunReporting([fd] { return Sync(fd); }, progress);
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

// The whole content of the open file `fd`, read from its start, reported to
// `progress` as part of the `size` expected; false on a stop.
bool ReadAll(int fd, QByteArray& bytes, qint64 size, ProgressStages& progress) {
  bytes.clear();
  if (::lseek(fd, 0, SEEK_SET) != 0) return false;
  char block[65536];
  for (;;) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    bytes.append(block, n);
    if (!progress.Report(bytes.size(), size)) return false;
  }
}

// The folder part of the path `name`: "." for a bare name, "/" for the root's files.
QByteArray FolderOf(const QByteArray& name) {
  const qsizetype slash = name.lastIndexOf('/');
  if (slash < 0) return QByteArrayLiteral(".");
  return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// Makes `bytes` the whole content of the open file `fd` and syncs it,
// reporting to `progress` as it goes, up to kWritten and then during
// the sync; false on a stop before the sync. Content that must go back
// whatever is asked (`mayStop` false) only lets the listener turn.
bool WriteContent(int fd, const QByteArray& bytes, ProgressStages& progress, bool mayStop = true) {
  if (::lseek(fd, 0, SEEK_SET) != 0) return false;
  for (qint64 at = 0; at < bytes.size();) {
    const qint64 n = std::min(kReportEvery, bytes.size() - at);
    if (!WriteAll(fd, bytes.constData() + at, n)) return false;
    at += n;
    if (!mayStop) {
      progress.Keep();
    } else if (!progress.Report(at, bytes.size())) {
      return false;
    }
  }
  if (::ftruncate(fd, bytes.size()) != 0) return false;
  progress.Stage(kWritten, ProgressStages::kWhole);
  return SyncReporting(fd, progress);
}

// Writes the existing file in place: the inode, and with it every name, the
// owner and all attributes, stay. The old content is held in memory until the
// new one is on disk, and goes back if any step of writing the new one fails
// or `progress` says stop.
bool WriteInPlace(const QByteArray& name, const QByteArray& bytes, ProgressStages& progress) {
  // Read and write, which does not truncate: nothing changes before the old
  // content is read.
  Descriptor file(::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW));
  struct stat st;
  if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  QByteArray old;
  progress.Stage(kGathered, kOldRead);
  if (!ReadAll(file.get(), old, st.st_size, progress) || old.size() != st.st_size) return false;
  progress.Stage(kOldRead, kWritten);
  if (WriteContent(file.get(), bytes, progress) && !progress.Stopped()) return true;
  WriteContent(file.get(), old, progress, false);
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
// yet), syncs it and renames it over `name`. A stop told by `progress`
// removes the temporary file.
Replaced ReplaceByRename(const QByteArray& name, const ByteProducer& produce,
                         const struct stat* old, ProgressStages& progress) {
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
  progress.Stage(0, kWritten);
  if (!produce(write) || progress.Stopped() || ::fchmod(fd, mode) != 0) {
    return discard(Replaced::kFailed);
  }
  progress.Stage(kWritten, ProgressStages::kWhole);
  // A stop asked for during the sync still keeps the old file.
  if (!SyncReporting(fd, progress) || progress.Stopped() || !file.close()) {
    return discard(Replaced::kFailed);
  }
  // Once the rename has begun the new file is in place: a stop asked for
  // meanwhile no longer applies.
  bool renamed = false;
  const bool synced = RunReporting(
      [&] {
        renamed = ::rename(temporary.constData(), name.constData()) == 0;
        return renamed && SyncFolder(name);
      },
      progress);
  if (!renamed) return discard(Replaced::kFailed);
  return synced ? Replaced::kDone : Replaced::kFailed;
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

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void ProgressStages::Narrow(int64_t from, int64_t to) {
  const int64_t base = Map(from), end = Map(to);
  base_ = from_ = base;
  end_ = to_ = end;
}

void ProgressStages::Stage(int64_t from, int64_t to) {
  from_ = Map(from);
  to_ = Map(to);
}

bool ProgressStages::Report(int64_t done, int64_t total) {
  if (stopped_) return false;
  if (!report_) return true;
  const int64_t part = total > 0 ? std::clamp<int64_t>(done, 0, total) * (to_ - from_) / total : 0;
  stopped_ = !report_(from_ + part, kWhole);
  return !stopped_;
}

bool ReplaceFileContent(const QString& file, const ByteProducer& produce,
                        ProgressStages* listened) {
  // Without a listener the stages are told to no one and never stop.
  ProgressStages unheard{WriteProgress()};
  ProgressStages& progress = listened ? *listened : unheard;
  const QByteArray name = EncodeLocalPath(file);
  struct stat st;
  if (::lstat(name.constData(), &st) != 0) {
    return errno == ENOENT && ReplaceByRename(name, produce, nullptr, progress) == Replaced::kDone;
  }
  // A folder, a device, a pipe or a link is no program file.
  if (!S_ISREG(st.st_mode)) return false;
  if (RenameCanKeepIdentity(name, st)) {
    const Replaced replaced = ReplaceByRename(name, produce, &st, progress);
    if (replaced != Replaced::kNotHere) return replaced == Replaced::kDone;
  }
  QByteArray bytes;
  const ByteSink gather = [&bytes](QByteArrayView block) {
    bytes.append(block);
    return true;
  };
  progress.Stage(0, kGathered);
  return produce(gather) && !progress.Stopped() &&
         WriteInPlace(name, bytes, progress);
}

