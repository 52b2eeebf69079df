#include "text/ProgramText.h"
#include "text/StatementClasses.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// No input character gives more than four output characters (";").
constexpr qsizetype kMaxGrowth = 4;
// Input is walked in blocks; room for a whole block is made before it.
constexpr qsizetype kBlock = 4096;

// Grows `out` so that `more` units fit after the write position `o`; `base`
// and `o` follow the string's buffer.
void MakeRoom(QString& out, char16_t*& base, char16_t*& o, qsizetype more) {
  const qsizetype used = o - base;
  if (used + more <= out.size()) return;
  out.resize(std::max(used + more, out.size() + out.size() / 2));
  base = reinterpret_cast<char16_t*>(out.data());
  o = base + used;
}

}  // namespace

// One pass that does all steps at once: spaces are skipped; a line feed that
// directly follows a carriage return kept from the input removes the pair, and
// the carriage return before a removed pair may pair with the line feed after
// it ("\r\r\n\n" goes entirely), so that no CR LF survives that a second pass
// would remove: the canonical form is a fixed point. Every other character is
// upper-cased and walked with the digit flag. Upper-casing never makes a space,
// a line break, a digit or ";", so classifying after it is the same as before.
QString NormalizeProgramText(const QString& Text) {
  const qsizetype n = Text.size();
  const char16_t* in = reinterpret_cast<const char16_t*>(Text.constData());
  QString out;
  out.resize(n + n / 4 + 16);
  char16_t* base = reinterpret_cast<char16_t*>(out.data());
  char16_t* o = base;
  bool digitSeen = false;  // a digit since the last inserted space or ";"

  qsizetype i = 0;
  while (i < n) {
    const qsizetype blockEnd = std::min(n, i + kBlock);
    // One more for the low half of a surrogate pair that ends past the block.
    MakeRoom(out, base, o, kMaxGrowth * (blockEnd - i + 1));

    for (; i < blockEnd; ++i) {
      char16_t c = in[i];
      if (c >= 0x80) {
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(in[i + 1])) {
          const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(c, in[i + 1]));
          *o++ = QChar::highSurrogate(upper);
          *o++ = QChar::lowSurrogate(upper);
          ++i;
          continue;
        }
        if (!QChar::isSurrogate(c)) {
          const char32_t upper = QChar::toUpper(static_cast<char32_t>(c));
          if (upper <= 0xFFFF) c = static_cast<char16_t>(upper);
        }
        // A few characters upper-case to an address letter ("ı" to "I").
        if (c >= 0x80) {
          *o++ = c;
          continue;
        }
      }
      switch (kStatementClasses[c]) {
        case kOther:
        case kReturn:  // a line feed right after removes it (below)
          *o++ = c;
          break;
        case kDigit:
          *o++ = c;
          digitSeen = true;
          break;
        case kLower:
          c -= u'a' - u'A';
          [[fallthrough]];
        case kLetter:
          if (digitSeen) {
            *o++ = u' ';
            digitSeen = false;
          }
          *o++ = c;
          break;
        case kStatement:
          o[0] = u' ';
          o[1] = u';';
          o[2] = u'\r';
          o[3] = u'\n';
          o += 4;
          digitSeen = false;
          break;
        case kSpace:
          break;
        case kLineFeed:
          // A carriage return at the end of the output always comes from the
          // input: the ones added here are followed by their line feed.
          if (o > base && o[-1] == u'\r') {
            --o;
          } else {
            *o++ = c;
          }
          break;
      }
    }
  }
  out.truncate(o - base);
  out.squeeze();
  return out;
}
