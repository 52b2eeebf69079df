// The document store against a flat QString, driven by the fuzzer's bytes.
//
// Even first byte: the rest is a program of edits (replace, large inserts,
// appends, copies kept as snapshots) applied to both; every step checks the
// accessors at places the input picks, and the end checks everything, the
// snapshots, and the line lookup and normaliser over the store against the
// flat ones, and what each snapshot shares with the end text at either end.
// Odd first byte: the rest is a program file's bytes, read block by block
// (cut after every CR LF pair) and compared with the flat reader.
//
// The store is built here with tiny nodes and chunks (KESTO_STORE_TINY_NODES),
// so that short inputs make trees of many levels, and with its asserts on; the
// tree's invariants are checked after every step.

#include <QString>
#include <algorithm>
#include <vector>

#include "FuzzInput.h"
#include "document/StoreProgramText.h"
#include "document/TextStore.h"
#include "files/Cp932.h"
#include "files/ProgramFileBlocks.h"
#include "testkit/FlatCp932.h"
#include "testkit/FlatProgramFile.h"
#include "testkit/FlatProgramText.h"
#include "testkit/StoreNormalize.h"

namespace {

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  uint32_t next() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t next16() { return next() | next() << 8; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A piece of text: each byte picks a unit from an alphabet of what the store
// keeps apart (one-byte and UTF-16 units, line breaks, surrogate halves).
QString TextFrom(Bytes& in, uint32_t length) {
  static constexpr char16_t kAlphabet[] = {
      u'G', u'0', u'1', u' ', u';', u'x', u'.', u'\r', u'\n', u'\n', 0x00E9, 0x00FF,
      0x5DE5, 0x30A2, 0xFF38, 0xDC81, 0xD83D, 0xDE00, 0xD800, 0x0131, 0x017F, u'\t', 0x00, u','};
  QString text;
  for (uint32_t k = 0; k < length; ++k) text += QChar(kAlphabet[in.next() % std::size(kAlphabet)]);
  return text;
}

int32_t Size(const QString& s) { return int32_t(s.size()); }

void CheckTree(const TextStore& store) {
  const char* broken = store.brokenInvariant();
  FuzzCheck(broken == nullptr, broken);
}

void CheckAt(const TextStore& store, const QString& flat, uint32_t pick, uint32_t length) {
  const int32_t n = Size(flat);
  const int32_t pos = int32_t(pick % uint32_t(n + 3)) - 1;  // also just outside
  const int32_t clamped = std::clamp(pos, 0, n);
  FuzzCheck(store.lineFromChar(pos) == int32_t(std::count(flat.begin(), flat.begin() + clamped, u'\n')),
            "lineFromChar");
  if (pos >= 0 && pos < n) FuzzCheck(store.at(pos) == flat[pos].unicode(), "at");
  const QString expected = flat.mid(clamped, std::min<int32_t>(int32_t(length), n - clamped));
  FuzzCheck(store.mid(pos, int32_t(length)) == expected, "mid");
  QString pieces;
  store.forEachPiece(pos, int32_t(length), [&pieces](auto piece) {
    FuzzCheck(!piece.isEmpty(), "empty piece");
    pieces += piece;
  });
  FuzzCheck(pieces == expected, "forEachPiece");
}

void CheckAll(const TextStore& store, const QString& flat) {
  FuzzCheck(store.size() == Size(flat), "size");
  FuzzCheck(store.toString() == flat, "toString");
  int32_t line = 0;
  int32_t start = 0;
  int32_t longest = 0;
  for (int32_t i = 0; i < Size(flat); ++i) {
    if (flat[i] != u'\n') continue;
    longest = std::max(longest, i + 1 - start);
    start = i + 1;
    FuzzCheck(store.lineStart(++line) == start, "lineStart");
  }
  longest = std::max(longest, Size(flat) - start);
  FuzzCheck(store.lineCount() == line + 1, "lineCount");
  FuzzCheck(store.lineStart(line + 1) == start && store.lineStart(-1) == 0, "lineStart clamped");
  FuzzCheck(store.maxLineLength() == longest, "maxLineLength");
}

void CheckProgramText(const TextStore& store, const QString& flat) {
  const int32_t lines = store.lineCount();
  for (int32_t n : {-1, 0, 1, 2, lines / 2, lines - 1, lines, lines + 1}) {
    const LineInfo a = GetProgramLine(n, store);
    const LineInfo b = GetProgramLine(n, flat);
    FuzzCheck(a.Status == b.Status && a.StartPos == b.StartPos && a.EndPos == b.EndPos &&
                  a.Text == b.Text,
              "GetProgramLine");
  }
  FuzzCheck(NormalizeProgramText(store)->toString() == NormalizeProgramText(flat),
            "NormalizeProgramText");
}

void FuzzEdits(Bytes& in) {
  constexpr int32_t kMaxText = 20'000;
  TextStore store;
  QString flat;
  std::vector<std::pair<TextStore, QString>> snapshots;
  while (!in.empty()) {
    const uint32_t op = in.next() % 8;
    const int32_t n = Size(flat);
    if (op <= 3) {
      const int32_t pos = int32_t(in.next16() % uint32_t(n + 5)) - 2;
      const int32_t removed = op == 3 ? int32_t(in.next16()) : int32_t(in.next() % 40) - 1;
      const QString inserted = TextFrom(in, in.next() % 24);
      FuzzCheck(store.replace(pos, removed, inserted), "replace");
      const int32_t from = std::clamp(pos, 0, n);
      flat.replace(from, std::clamp(removed, 0, n - from), inserted);
    } else if (op == 4 && n < kMaxText) {
      // Large inserts make trees of several levels.
      const QString unit = TextFrom(in, 1 + in.next() % 8);
      const QString inserted = unit.repeated(1 + qsizetype(in.next16() % 512));
      const int32_t pos = int32_t(in.next16() % uint32_t(n + 1));
      store.replace(pos, 0, inserted);
      flat.insert(pos, inserted);
    } else if (op == 5) {
      snapshots.emplace_back(store, flat);
    } else if (op == 6 && n < kMaxText) {
      const QString tail = TextFrom(in, in.next() % 64).repeated(1 + in.next() % 64);
      FuzzCheck(store.append(TextStore(tail)), "append");
      flat += tail;
    } else if (op == 7 && !snapshots.empty()) {
      // Back to an older text, as undo does.
      const auto& [older, olderFlat] = snapshots[in.next() % snapshots.size()];
      store = older;
      flat = olderFlat;
    }
    CheckTree(store);
    FuzzCheck(store.size() == Size(flat), "size after step");
    CheckAt(store, flat, in.next16() | in.next() << 16, in.next() % 96);
  }
  CheckAll(store, flat);
  CheckProgramText(store, flat);
  for (const auto& [older, olderFlat] : snapshots) {
    FuzzCheck(older.toString() == olderFlat, "snapshot unchanged");
    FuzzCheck((older == store) == (olderFlat == flat), "operator==");
    const int32_t shorter = std::min(Size(olderFlat), Size(flat));
    int32_t head = 0;
    while (head < shorter && olderFlat[head] == flat[head]) ++head;
    int32_t tail = 0;
    while (tail < shorter - head && olderFlat[Size(olderFlat) - 1 - tail] == flat[Size(flat) - 1 - tail]) ++tail;
    FuzzCheck(SharedPrefix(older, store) == head, "SharedPrefix");
    FuzzCheck(SharedSuffix(older, store, shorter - head) == tail, "SharedSuffix");
  }
}

void FuzzReader(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  ProgramBlockReader reader;
  TextStore::Builder builder;
  size_t start = 0;
  for (size_t i = 1; i <= size; ++i) {
    if (i == size || (i >= 2 && bytes[i - 1] == '\n' && bytes[i - 2] == '\r')) {
      reader.append(bytes + start, qsizetype(i - start), builder);
      start = i;
    }
  }
  const TextStore blocks = builder.finish();
  const QString flat = ProgramTextFromFile(DecodeCp932(QByteArray(bytes, qsizetype(size))));
  FuzzCheck(blocks.toString() == flat, "block reader");
  CheckTree(blocks);

  // The same bytes as one block in pieces, cut at the last end allowed
  // before every 7th byte.
  reader.start(builder);
  qsizetype at = 0;
  for (qsizetype point = 7; point < qsizetype(size); point += 7) {
    const qsizetype end = PieceEnd(bytes + at, point - at);
    reader.feed(bytes + at, end);
    at += end;
  }
  reader.feed(bytes + at, qsizetype(size) - at);
  reader.finish();
  const TextStore pieces = builder.finish();
  FuzzCheck(pieces.toString() == flat, "block reader in pieces");
  CheckTree(pieces);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1) {
    FuzzReader(data + 1, size - 1);
  } else {
    Bytes in(data + 1, size - 1);
    FuzzEdits(in);
  }
  return 0;
}
