#include "files/ProgramFileBlocks.h"

#include <QFile>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "document/StatementNormalizer.h"
#include "files/ProgramFile.h"
#include "platform/LocalPath.h"

ProgramBlockReader::ProgramBlockReader() = default;
ProgramBlockReader::~ProgramBlockReader() = default;

void ProgramBlockReader::append(const char* bytes, qsizetype n, TextStore::Builder& out) {
  start(out);
  feed(bytes, n);
  finish();
}

void ProgramBlockReader::start(TextStore::Builder& out) {
  normalizer_ = std::make_unique<StatementNormalizer>(out);
}

void ProgramBlockReader::finish() {
  normalizer_->finish();
  normalizer_.reset();
}

void ProgramBlockReader::feed(const char* bytes, qsizetype n) {
  StatementNormalizer* normalizer = normalizer_.get();
  qsizetype i = 0;
  while (i < n) {
    // ASCII goes from bytes to canonical text in one pass; the stretches of
    // other bytes are decoded first.
    i += normalizer->feedFileAscii(bytes + i, n - i);
    if (i == n) break;
    if (capacity_ < n - i) {
      capacity_ = std::max(n - i, qsizetype(4096));
      units_.reset(new char16_t[size_t(capacity_)]);
    }
    const char16_t* units = units_.get();
    qsizetype written = 0;
    i += decoder_.decodeStretch(bytes + i, n - i, units_.get(), written);
    // A CR decoded in the stretch (the bad second byte of a two-byte
    // character) pairs with a LF right after it like any other.
    qsizetype from = 0;
    for (qsizetype k = 0; k < written; ++k) {
      if (units[k] != u'\r') continue;
      const bool lfInside = k + 1 < written && units[k + 1] == u'\n';
      const bool lfAfter = k + 1 == written && i < n && bytes[i] == '\n';
      if (!lfInside && !lfAfter) continue;
      normalizer->feed(QStringView(units + from, k - from));
      normalizer->feed(QLatin1StringView(";"));
      if (lfInside) {
        ++k;
      } else {
        ++i;
      }
      from = k + 1;
    }
    normalizer->feed(QStringView(units + from, written - from));
  }
}

qsizetype PieceEnd(const char* bytes, qsizetype count) {
  for (qsizetype k = count - 1; k >= 1; --k) {
    const auto at = static_cast<uchar>(bytes[k]);
    if (at < 0x80 && at != '\r' && static_cast<uchar>(bytes[k - 1]) < 0x80) return k + 1;
  }
  return 0;
}

namespace {

constexpr qsizetype kBlockBytes = qsizetype(1) << 20;
// How many blocks' worth of bytes without a CR LF pair are held back waiting
// for one before the rest of the file is read in order.
constexpr qsizetype kLongestWait = 8;

// The length of the bytes up to and including their last CR LF pair; 0 when
// they hold none.
qsizetype UpToLastPair(const QByteArray& bytes) {
  const char* s = bytes.constData();
  for (qsizetype i = bytes.size() - 1; i > 0; --i) {
    const char* lf = static_cast<const char*>(memrchr(s + 1, '\n', size_t(i)));
    if (!lf) return 0;
    if (lf[-1] == '\r') return lf - s + 1;
    i = lf - s;
  }
  return 0;
}

// Blocks of the file go to worker threads, which turn each into a text of its
// own; the texts are joined in the blocks' order at the end.
class BlockPipeline {
 public:
  BlockPipeline(int workers, int64_t maxChars) : maxChars_(maxChars) {
    for (int k = 0; k < workers; ++k) threads_.emplace_back([this] { work(); });
  }
  // A pipeline left before finish (an error, a stopped read) drops the blocks
  // still queued and waits only for those being worked on.
  ~BlockPipeline() {
    {
      std::lock_guard lock(mutex_);
      queue_.clear();
    }
    stop();
  }

  // Hands a block over, waiting while enough are queued. False once the
  // text has grown too long.
  bool submit(QByteArray bytes) {
    std::unique_lock lock(mutex_);
    if (threads_.empty()) {
      const size_t index = results_.size();
      results_.emplace_back();
      lock.unlock();
      process(index, bytes, inlineReader_);
      return !tooLong_;
    }
    spaceFree_.wait(lock, [this] { return queue_.size() < 2 * threads_.size() || tooLong_; });
    if (tooLong_) return false;
    queue_.push_back({results_.size(), std::move(bytes)});
    results_.emplace_back();
    workReady_.notify_one();
    return true;
  }

  // Waits for the workers; the whole text, or false when it is too long.
  bool finish(TextStore& text) {
    stop();
    if (tooLong_) return false;
    TextStore whole;
    for (const TextStore& block : results_) {
      if (!whole.append(block)) return false;
    }
    text = std::move(whole);
    return true;
  }

 private:
  struct Job {
    size_t index;
    QByteArray bytes;
  };

  void stop() {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
    }
    workReady_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
  }

  void work() {
    ProgramBlockReader reader;
    for (;;) {
      std::unique_lock lock(mutex_);
      workReady_.wait(lock, [this] { return !queue_.empty() || closed_ || tooLong_; });
      if (tooLong_ || queue_.empty()) return;
      Job job = std::move(queue_.front());
      queue_.pop_front();
      spaceFree_.notify_one();
      lock.unlock();
      process(job.index, job.bytes, reader);
    }
  }

  void process(size_t index, const QByteArray& bytes, ProgramBlockReader& reader) {
    TextStore::Builder builder(maxChars_);
    reader.append(bytes.constData(), bytes.size(), builder);
    const bool overflowed = builder.overflowed();
    TextStore text = builder.finish();
    std::lock_guard lock(mutex_);
    total_ += text.size();
    if (overflowed || total_ > maxChars_) {
      tooLong_ = true;
      workReady_.notify_all();
      spaceFree_.notify_all();
    }
    results_[index] = std::move(text);
  }

  const int64_t maxChars_;
  std::vector<std::thread> threads_;
  ProgramBlockReader inlineReader_;  // when there are no workers
  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable spaceFree_;
  std::deque<Job> queue_;
  std::vector<TextStore> results_;
  int64_t total_ = 0;
  bool closed_ = false;
  bool tooLong_ = false;
};

// The file read block by block; after each block the progress callback
// hears how far the reading has come.
class BlockFile {
 public:
  BlockFile(QFile& file, const ReadProgress& progress)
      : file_(file), progress_(progress), total_(file.size()) {}

  // Appends up to `count` bytes of the file to `bytes`: how many (0 at the
  // end), or -1 after an error or when the callback says to stop.
  qint64 readOnto(QByteArray& bytes, qsizetype count) {
    const qsizetype old = bytes.size();
    bytes.resize(old + count);
    const qint64 got = file_.read(bytes.data() + old, count);
    bytes.resize(old + std::max(got, qint64(0)));
    if (got <= 0) return got;
    done_ += got;
    if (progress_ && !progress_(done_, total_)) return -1;
    return got;
  }

  bool failed() const { return file_.error() != QFileDevice::NoError; }

 private:
  QFile& file_;
  const ReadProgress& progress_;
  const int64_t total_;
  int64_t done_ = 0;
};

// Reads the rest of the file on this thread, after the blocks handed to the
// pipeline, as one block given in pieces: `pending` holds a stretch without a
// CR LF pair, too long to wait for the pair (a file without CR LF pairs, one
// with bare LFs, or not a program at all), so memory stays bounded however
// long the stretch.
bool ReadRestInOrder(BlockFile& file, QByteArray pending, qsizetype blockBytes,
                     BlockPipeline& pipeline, TextStore& text, int64_t maxChars) {
  TextStore head;
  if (!pipeline.finish(head)) return false;
  TextStore::Builder builder(maxChars - head.size());
  ProgramBlockReader reader;
  reader.start(builder);
  for (qsizetype scanned = 0;;) {
    const qsizetype from = std::max(scanned - 1, qsizetype(0));
    const qsizetype end = PieceEnd(pending.constData() + from, pending.size() - from);
    const qsizetype cut = end ? from + end : 0;
    reader.feed(pending.constData(), cut);
    if (builder.overflowed()) return false;
    pending.remove(0, cut);
    scanned = pending.size();
    const qint64 got = file.readOnto(pending, blockBytes);
    if (got < 0) return false;
    if (got == 0) break;
  }
  reader.feed(pending.constData(), pending.size());
  reader.finish();
  if (builder.overflowed() || file.failed()) return false;
  if (!head.append(builder.finish())) return false;
  text = std::move(head);
  return true;
}

}  // namespace

int OpenRegularFile(const QString& path) {
  const QByteArray name = EncodeLocalPath(path);
  // Looked at before it is opened: opening a device can itself do something
  // (a tape rewinds, a modem line waits for its carrier).
  struct stat st;
  if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  // Without blocking, in case it has turned into a FIFO since: opening one
  // for reading waits for a writer. What was opened is checked again.
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool ReadProgramFileInBlocks(const QString& path, TextStore& text, qsizetype blockBytes,
                             int64_t maxChars, const ReadProgress& progress) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return false;
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  // A file of one block is read on this thread.
  const int cores = int(std::max(1u, std::min(std::thread::hardware_concurrency(), 8u)));
  BlockPipeline pipeline(file.size() > blockBytes ? cores : 0, maxChars);
  BlockFile blocks(file, progress);

  QByteArray pending;  // read, not yet handed over
  for (bool atEnd = false; !atEnd;) {
    const qint64 got = blocks.readOnto(pending, blockBytes);
    if (got < 0) return false;
    atEnd = got == 0;
    // A block ends right after a CR LF pair, or with the file; a line without
    // one is read on until it ends.
    const qsizetype cut = atEnd ? pending.size() : UpToLastPair(pending);
    if (cut == 0 && pending.size() > kLongestWait * blockBytes) {
      return ReadRestInOrder(blocks, std::move(pending), blockBytes, pipeline, text, maxChars);
    }
    if (cut == 0) continue;
    QByteArray rest(pending.constData() + cut, pending.size() - cut);
    pending.truncate(cut);
    if (!pipeline.submit(std::move(pending))) return false;
    pending = std::move(rest);
  }
  if (blocks.failed()) return false;
  return pipeline.finish(text);
}

bool ReadProgramFile(const QString& path, TextStore& text, const ReadProgress& progress) {
  return ReadProgramFileInBlocks(path, text, kBlockBytes, TextStore::kMaxSize, progress);
}
