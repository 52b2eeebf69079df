#include "document/StatementNormalizer.h"

#include <QChar>
#include <algorithm>
#include <cstring>
#include <utility>

#include "text/StatementClasses.h"

// Carriage returns are held back rather than written: a line feed that comes
// next (spaces between do not count) removes one of them and itself, which is
// what the flat normaliser does by taking back the CR it wrote last. Holding
// them means output is never taken back, so it can leave in pieces.
void StatementNormalizer::releaseReturns() {
  flushNarrow();
  flushWide();
  static const char kReturns[] = "\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r";
  for (; heldReturns_ > 0; heldReturns_ -= std::min<int64_t>(heldReturns_, 16))
    out_.append(QLatin1StringView(kReturns, qsizetype(std::min<int64_t>(heldReturns_, 16))));
}

void StatementNormalizer::flushNarrow() {
  if (narrowUsed_ == 0) return;
  out_.append(QLatin1StringView(narrow_, narrowUsed_));
  narrowUsed_ = 0;
}

void StatementNormalizer::flushWide() {
  if (wideUsed_ == 0) return;
  out_.append(QStringView(wide_, wideUsed_));
  wideUsed_ = 0;
}

void StatementNormalizer::put(char16_t c) {
  flushNarrow();
  wide_[wideUsed_++] = c;
  if (wideUsed_ == kStage) flushWide();
}

// One unit on the general road: any character, upper-cased by the system's
// rules, surrogate pairs as one.
void StatementNormalizer::feedUnit(char16_t c) {
  if (heldHigh_ != 0) {
    const char16_t high = std::exchange(heldHigh_, 0);
    if (QChar::isLowSurrogate(c)) {
      const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(high, c));
      put(QChar::highSurrogate(upper));
      put(QChar::lowSurrogate(upper));
      return;
    }
    put(high);  // a lone one stays as it is
  }
  if (c >= 0x80) {
    if (QChar::isHighSurrogate(c)) {
      if (heldReturns_) releaseReturns();
      heldHigh_ = c;
      return;
    }
    if (!QChar::isSurrogate(c)) {
      const char32_t upper = QChar::toUpper(char32_t(c));
      if (upper <= 0xFFFF) c = char16_t(upper);
    }
    // A few characters upper-case to an address letter ("ı" to "I").
    if (c >= 0x80) {
      if (heldReturns_) releaseReturns();
      put(c);
      return;
    }
  }
  switch (kStatementClasses[c]) {
    case kSpace:
      return;
    case kReturn:
      ++heldReturns_;
      return;
    case kLineFeed:
      if (heldReturns_ > 0) {
        --heldReturns_;
      } else {
        put(c);
      }
      return;
    default:
      break;
  }
  if (heldReturns_) releaseReturns();
  switch (kStatementClasses[c]) {
    case kDigit:
      digitSeen_ = true;
      put(c);
      break;
    case kLower:
      c -= u'a' - u'A';
      [[fallthrough]];
    case kLetter:
      if (digitSeen_) {
        put(u' ');
        digitSeen_ = false;
      }
      put(c);
      break;
    case kStatement:
      put(u' ');
      put(u';');
      put(u'\r');
      put(u'\n');
      digitSeen_ = false;
      break;
    default:
      put(c);
      break;
  }
}

namespace {

// Per byte, for the fast road: how it takes part in the digit rule, and
// whether it needs more than being copied upper-cased.
enum : uint8_t { kFastDigit = 1, kFastLetter = 2, kFastSpecial = 4 };
struct FastTables {
  uint8_t flags[256];
  char upper[256];
};
constexpr FastTables MakeFastTables() {
  FastTables t{};
  for (int c = 0; c < 256; ++c) {
    t.upper[c] = char(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
    if (c >= 0x80) {
      t.flags[c] = kFastSpecial;
    } else {
      switch (kStatementClasses[c]) {
        case kDigit: t.flags[c] = kFastDigit; break;
        case kLetter:
        case kLower: t.flags[c] = kFastLetter; break;
        case kOther: t.flags[c] = 0; break;
        default: t.flags[c] = kFastSpecial; break;
      }
    }
  }
  return t;
}
constexpr FastTables kFast = MakeFastTables();

}  // namespace

char* StatementNormalizer::releaseReturnsAt(char* o, int64_t held) {
  narrowUsed_ = int(o - narrow_);
  heldReturns_ = held;
  releaseReturns();
  return narrow_ + narrowUsed_;
}

// The fast road for one-byte text: straight into one-byte output, a block at
// a time. The state lives in locals here (stores through a char pointer could
// otherwise change the members, as far as the compiler knows), and a plain
// character (a digit, letter or other) goes through without a branch. Bytes
// from 0x80 on take the general road one by one.
template <bool kFileBytes>
qsizetype StatementNormalizer::feedAscii(const char* bytes, qsizetype count) {
  const uchar* s = reinterpret_cast<const uchar*>(bytes);
  qsizetype i = 0;
  if (heldHigh_ != 0 && count > 0) feedUnit(s[i++]);  // ends the held surrogate's wait
  while (i < count) {
    flushWide();
    if (kStage - narrowUsed_ < 64) flushNarrow();
    // No byte gives more than four characters (";", or CR LF as " ;" CR LF
    // for two bytes).
    const qsizetype end = std::min(count, i + (kStage - narrowUsed_) / 4);
    char* o = narrow_ + narrowUsed_;
    uint32_t digit = digitSeen_;
    int64_t held = heldReturns_;
    for (; i < end; ++i) {
      const uchar c = s[i];
      const uint32_t f = kFast.flags[c];
      if (!(f & kFastSpecial)) {
        if (held != 0) {
          o = releaseReturnsAt(o, held);
          held = 0;
        }
        const uint32_t letter = f >> 1;
        *o = ' ';
        o += digit & letter;
        *o++ = kFast.upper[c];
        digit = (digit & (letter ^ 1)) | (f & kFastDigit);
        continue;
      }
      if (c >= 0x80) break;
      if (c == ' ') continue;
      if (c == '\n') {
        if (held > 0) {
          --held;
        } else {
          *o++ = '\n';
        }
        continue;
      }
      if (c == '\r') {
        if (!(kFileBytes && i + 1 < count && s[i + 1] == '\n')) {
          ++held;
          continue;
        }
        ++i;  // a CR LF pair of the file ends a statement
      }
      // ";", or a CR LF pair of the file.
      if (held != 0) {
        o = releaseReturnsAt(o, held);
        held = 0;
      }
      std::memcpy(o, " ;\r\n", 4);
      o += 4;
      digit = 0;
    }
    narrowUsed_ = int(o - narrow_);
    digitSeen_ = digit != 0;
    heldReturns_ = held;
    if (i < count && s[i] >= 0x80) {
      if (kFileBytes) break;
      feedUnit(s[i++]);
    }
  }
  return i;
}

void StatementNormalizer::feed(QLatin1StringView text) { feedAscii<false>(text.data(), text.size()); }

qsizetype StatementNormalizer::feedFileAscii(const char* bytes, qsizetype count) {
  return feedAscii<true>(bytes, count);
}

void StatementNormalizer::feed(QStringView text) {
  for (const QChar c : text) feedUnit(c.unicode());
}

void StatementNormalizer::finish() {
  if (heldHigh_ != 0) put(std::exchange(heldHigh_, 0));
  releaseReturns();
  flushNarrow();
  flushWide();
}
