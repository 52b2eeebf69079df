// Writing a program file from a document store: the writer's transformation
// (upper case, no spaces, no ";") and the CP932 encoding applied to each
// piece of the store as it comes, into blocks of bytes for the file.

#include <QChar>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "document/TextStore.h"
#include "files/Cp932.h"
#include "files/ProgramWriter.h"
#include "files/PutAscii.h"

namespace {

const char* FirstNonAscii(const char* s, const char* end) {
  for (; end - s >= 8; s += 8) {
    uint64_t word;
    std::memcpy(&word, s, 8);
    if (word & 0x8080808080808080u) break;
  }
  while (s < end && uchar(*s) < 0x80) ++s;
  return s;
}

#if defined(__x86_64__)
// For each mask of eight bits, the shuffle that packs the bytes whose bits
// are set to the front.
constexpr std::array<std::array<uint8_t, 8>, 256> MakeCompactShuffles() {
  std::array<std::array<uint8_t, 8>, 256> table{};
  for (int mask = 0; mask < 256; ++mask) {
    int k = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (mask & (1 << bit)) table[mask][k++] = uint8_t(bit);
    }
    while (k < 8) table[mask][k++] = 0x80;
  }
  return table;
}
alignas(16) constexpr auto kCompactShuffles = MakeCompactShuffles();

// The writer's transformation of ASCII, sixteen bytes at a time: upper-cased,
// then spaces and ";" packed out. Stops before the first sixteen that hold a
// byte from 0x80 on, or when fewer than sixteen are left; returns how many
// bytes it took, and moves `out`, which must have sixteen bytes of room
// beyond what it writes.
__attribute__((target("ssse3,popcnt"))) qsizetype PutAsciiBlocks(const char* s, qsizetype n,
                                                                 char*& out) {
  const __m128i beforeA = _mm_set1_epi8('a' - 1);
  const __m128i afterZ = _mm_set1_epi8('z' + 1);
  const __m128i caseBit = _mm_set1_epi8(0x20);
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i semicolon = _mm_set1_epi8(';');
  char* o = out;
  qsizetype i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    if (_mm_movemask_epi8(v) != 0) break;
    const __m128i lower = _mm_and_si128(_mm_cmpgt_epi8(v, beforeA), _mm_cmplt_epi8(v, afterZ));
    v = _mm_sub_epi8(v, _mm_and_si128(lower, caseBit));
    const __m128i dropped = _mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(v, semicolon));
    const unsigned keep = ~unsigned(_mm_movemask_epi8(dropped)) & 0xFFFF;
    const unsigned low = keep & 0xFF;
    const unsigned high = keep >> 8;
    const __m128i packLow = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kCompactShuffles[low].data()));
    const __m128i packHigh = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kCompactShuffles[high].data()));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(v, packLow));
    o += _mm_popcnt_u32(low);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(_mm_srli_si128(v, 8), packHigh));
    o += _mm_popcnt_u32(high);
  }
  out = o;
  return i;
}

const bool kHasSsse3 = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
#endif

class FileEncoder {
 public:
  // Runs over the whole text. With a sink the bytes go to it in blocks;
  // without one the text is only checked. False when the sink fails, a
  // character cannot be written, whose editor offset is then badOffset, or
  // the progress (told after each stretch of text) says stop.
  bool run(const TextStore& text, const ByteSink* sink, ProgressStages& progress) {
    sink_ = sink;
    // Room for the sixteen bytes that PutAsciiBlocks may write beyond a block;
    // checking only writes nothing.
    if (sink_ && !block_) block_.reset(new char[kBlock + 16]);
    bool ok = true;
    const auto take = [this, &ok](auto piece) {
      if (!ok) return;
      if constexpr (std::is_same_v<decltype(piece), QLatin1StringView>) {
        ok = sink_ ? bytes<true>(piece.data(), piece.size()) : bytes<false>(piece.data(), piece.size());
      } else {
        ok = units(piece.utf16(), piece.size());
      }
      offset_ += piece.size();
    };
    const int32_t size = text.size();
    // Unheard, the text goes in one stretch.
    const int32_t stretch = progress.Listened() ? kStretch : std::max(size, 1);
    for (int32_t from = 0; ok && from < size; from += std::min(stretch, size - from)) {
      text.forEachPiece(from, std::min(stretch, size - from), take);
      ok = ok && progress.Report(from + std::min(stretch, size - from), size);
    }
    return ok && flushRun() && flushBlock();
  }

  int64_t badOffset() const { return badOffset_; }

 private:
  static constexpr qsizetype kBlock = qsizetype(1) << 20;
  // The characters between two reports of progress.
  static constexpr int32_t kStretch = int32_t(1) << 20;

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
        i = FirstNonAscii(s + i, s + n) - s;
        continue;
      }
      if (used_ == kBlock && !flushBlock()) return false;
      const qsizetype end = std::min(n, i + (kBlock - used_));
      char* o = block_.get() + used_;
#if defined(__x86_64__)
      if (kHasSsse3) i += PutAsciiBlocks(s + i, end - i, o);
#endif
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
  std::unique_ptr<char[]> block_;
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

WriteResult WriteProgramFile(const QString& path, const TextStore& editorText,
                             const WriteProgress& progress) {
  WriteResult result;
  ProgressStages stages(progress);
  // Checked first, so that an unwritable character leaves the file as it is.
  // The check reads the text only: a small part of the whole.
  constexpr int64_t kChecked = ProgressStages::kWhole / 10;
  stages.Stage(0, kChecked);
  FileEncoder check;
  if (!check.run(editorText, nullptr, stages)) {
    if (stages.Stopped()) {
      result.status = WriteStatus::kCancelled;
      return result;
    }
    result.status = WriteStatus::kUnencodable;
    // The transformation keeps every line feed: the editor line is the file's.
    result.badLine = editorText.lineFromChar(int32_t(check.badOffset())) + 1;
    return result;
  }
  stages.Narrow(kChecked, ProgressStages::kWhole);
  const bool written = WriteFileBlocks(
      path, [&](const ByteSink& sink) { return FileEncoder().run(editorText, &sink, stages); },
      &stages);
  result.status = written            ? WriteStatus::kWritten
                  : stages.Stopped() ? WriteStatus::kCancelled
                                     : WriteStatus::kFailed;
  return result;
}
