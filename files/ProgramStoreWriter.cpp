// Writing a program file from a document store: the writer's transformation
// (upper case, no spaces, no ";") and the CP932 encoding applied to each
// piece of the store as it comes, into blocks of bytes for the file.

#include <QChar>
#include <algorithm>
#include <memory>
#include <vector>

#include "files/ProgramWriter.h"
#include "platform/Cp932.h"
#include "platform/TextStore.h"

namespace {

bool IsEscapedByte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

class FileEncoder {
 public:
  // Runs over the whole text. With a sink the bytes go to it in blocks;
  // without one the text is only checked. False when the sink fails or a
  // character cannot be written, whose editor offset is then badOffset.
  bool run(const TextStore& text, const ByteSink* sink) {
    sink_ = sink;
    bool ok = true;
    text.forEachPiece(0, text.size(), [this, &ok](auto piece) {
      if (!ok) return;
      if constexpr (std::is_same_v<decltype(piece), QLatin1StringView>) {
        ok = sink_ ? bytes<true>(piece.data(), piece.size()) : bytes<false>(piece.data(), piece.size());
      } else {
        ok = units(piece.utf16(), piece.size());
      }
      offset_ += piece.size();
    });
    return ok && flushRun() && flushBlock();
  }

  int64_t badOffset() const { return badOffset_; }

 private:
  static constexpr qsizetype kBlock = qsizetype(1) << 20;

  // One-byte units: ASCII straight into the block, the rest into the run of
  // characters that go through the encoder.
  template <bool kWrite>
  bool bytes(const char* s, qsizetype n) {
    qsizetype i = 0;
    while (i < n) {
      if (uchar(s[i]) >= 0x80) {
        addToRun(char16_t(uchar(s[i])), i);
        ++i;
        continue;
      }
      if (!flushRun()) return false;
      if (!kWrite) {
        // Checking only: ASCII needs nothing, and a one-byte piece is nearly
        // always ASCII throughout.
        i = std::find_if(s + i, s + n, [](char c) { return uchar(c) >= 0x80; }) - s;
        continue;
      }
      if (used_ == kBlock && !flushBlock()) return false;
      const qsizetype end = std::min(n, i + (kBlock - used_));
      char* o = block_.get() + used_;
      for (; i < end && uchar(s[i]) < 0x80; ++i) o += PutAscii(o, s[i]);
      used_ = o - block_.get();
    }
    return true;
  }

  bool units(const char16_t* s, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
      const char16_t c = s[i];
      if (c >= 0x80 && !IsEscapedByte(c)) {
        addToRun(c, i);
        continue;
      }
      if (!flushRun()) return false;
      if (sink_) {
        if (used_ == kBlock && !flushBlock()) return false;
        // A kept file byte goes out as the byte it was.
        if (c < 0x80) {
          used_ += PutAscii(block_.get() + used_, c);
        } else {
          block_[used_++] = char(c - 0xDC00);
        }
      }
    }
    return true;
  }

  // The file form of one ASCII character at `out`; how far the output moves
  // (0 for a space or ";", which are dropped).
  template <typename C>
  static qsizetype PutAscii(char* out, C c) {
    *out = char(c - (uchar(c - 'a') < 26 ? 0x20 : 0));
    return (c != ' ') & (c != ';');
  }

  void addToRun(char16_t c, qsizetype indexInPiece) {
    if (run_.empty()) runStart_ = offset_ + indexInPiece;
    run_.push_back(c);
  }

  // Upper-cases the run (a surrogate pair as one character, also across
  // pieces) and encodes it.
  bool flushRun() {
    if (run_.empty()) return true;
    const qsizetype n = qsizetype(run_.size());
    char16_t* s = run_.data();
    for (qsizetype i = 0; i < n; ++i) {
      if (QChar::isHighSurrogate(s[i]) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
        const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(s[i], s[i + 1]));
        s[i] = QChar::highSurrogate(upper);
        s[++i] = QChar::lowSurrogate(upper);
      } else if (!QChar::isSurrogate(s[i])) {
        s[i] = char16_t(QChar::toUpper(char32_t(s[i])));
      }
    }
    encoded_.truncate(0);
    const qsizetype bad = encoder_.encode(QStringView(s, n), encoded_);
    run_.clear();
    if (bad >= 0) {
      badOffset_ = runStart_ + bad;
      return false;
    }
    if (!sink_) return true;
    for (qsizetype from = 0; from < encoded_.size();) {
      if (used_ == kBlock && !flushBlock()) return false;
      const qsizetype k = std::min(encoded_.size() - from, kBlock - used_);
      std::copy_n(encoded_.constData() + from, k, block_.get() + used_);
      used_ += k;
      from += k;
    }
    return true;
  }

  bool flushBlock() {
    if (!sink_ || used_ == 0) return true;
    const bool ok = (*sink_)(QByteArrayView(block_.get(), used_));
    used_ = 0;
    return ok;
  }

  const ByteSink* sink_ = nullptr;
  std::unique_ptr<char[]> block_{new char[kBlock]};
  qsizetype used_ = 0;
  int64_t offset_ = 0;  // editor offset of the current piece
  // Characters from 0x80 on that are not kept file bytes, waiting for the
  // encoder; they may run over from one piece into the next.
  std::vector<char16_t> run_;
  int64_t runStart_ = 0;
  Cp932Encoder encoder_;
  QByteArray encoded_;
  int64_t badOffset_ = -1;
};

}  // namespace

WriteResult WriteProgramFile(const QString& path, const TextStore& editorText) {
  WriteResult result;
  // Checked first, so that an unwritable character leaves the file as it is.
  FileEncoder check;
  if (!check.run(editorText, nullptr)) {
    result.status = WriteStatus::kUnencodable;
    // The transformation keeps every line feed: the editor line is the file's.
    result.badLine = editorText.lineFromChar(int32_t(check.badOffset())) + 1;
    return result;
  }
  const bool written = WriteFileBlocks(path, [&editorText](const ByteSink& sink) {
    return FileEncoder().run(editorText, &sink);
  });
  result.status = written ? WriteStatus::kWritten : WriteStatus::kFailed;
  return result;
}
