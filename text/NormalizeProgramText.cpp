#include "text/ProgramText.h"

#include <QChar>

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return c >= u'A' && c <= u'Z'; }

// Output buffer written through a raw pointer; grows geometrically. One pass
// over the input touches each character once and allocates only on growth.
class Output {
 public:
  explicit Output(qsizetype expected) { out_.resize(expected < 16 ? 16 : expected); }
  void Reserve(qsizetype more) {
    if (used_ + more > out_.size()) {
      out_.resize((used_ + more) * 3 / 2);
    }
  }
  void Put(char16_t c) { out_.data()[used_++] = QChar(c); }
  void Pop() { --used_; }
  qsizetype Size() const { return used_; }
  char16_t Last() const { return out_.constData()[used_ - 1].unicode(); }
  QString Take() {
    out_.truncate(used_);
    out_.squeeze();
    return std::move(out_);
  }

 private:
  QString out_;
  qsizetype used_ = 0;
};

}  // namespace

// One pass that does all steps at once: spaces are skipped; a line feed that
// directly follows a carriage return kept from the input removes the pair, and
// the carriage return before a removed pair may pair with the line feed after
// it ("\r\r\n\n" goes entirely), so that no CR LF survives that a second pass
// would remove: the canonical form is a fixed point; every other character is
// upper-cased and walked with the digit flag.
QString NormalizeProgramText(const QString& Text) {
  const qsizetype n = Text.size();
  const char16_t* in = reinterpret_cast<const char16_t*>(Text.constData());
  Output out(n + n / 4 + 16);
  bool digitSeen = false;

  for (qsizetype i = 0; i < n; ++i) {
    char16_t c = in[i];
    if (c == u' ') continue;
    // A carriage return at the end of the output always comes from the input:
    // the ones this routine adds are followed by their line feed.
    if (c == u'\n' && out.Size() > 0 && out.Last() == u'\r') {
      out.Pop();
      continue;
    }
    out.Reserve(5);

    if (c < 0x80) {
      if (c >= u'a' && c <= u'z') c -= 32;
    } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(in[i + 1])) {
      const char32_t upper =
          QChar::toUpper(QChar::surrogateToUcs4(c, in[i + 1]));
      out.Put(QChar::highSurrogate(upper));
      out.Put(QChar::lowSurrogate(upper));
      ++i;
      continue;
    } else if (!QChar::isSurrogate(c)) {
      const char32_t upper = QChar::toUpper(static_cast<char32_t>(c));
      if (upper <= 0xFFFF) c = static_cast<char16_t>(upper);
    }

    if (c == u';') {
      out.Put(u' ');
      out.Put(u';');
      out.Put(u'\r');
      out.Put(u'\n');
      digitSeen = false;
      continue;
    }
    if ((IsLetter(c) || c == u',') && digitSeen) {
      out.Put(u' ');
      digitSeen = false;
    }
    if (IsDigit(c)) digitSeen = true;
    out.Put(c);
  }
  return out.Take();
}
