// The normaliser's result is a fixed point, and it drops nothing but spaces
// and CR LF pairs: take away what it adds (spaces, the CR LF after each ";")
// and what it may drop, and both sides agree up to upper case.

#include "fuzz/FuzzInput.h"
#include "text/ProgramText.h"

namespace {

QString Stripped(QString text) {
  text.remove(u' ');
  // Removing pairs until none are left also takes the pairs that meet once an
  // inner pair has gone; bounded, as each pass shortens the text.
  while (text.contains(u"\r\n"_qs)) text.remove(u"\r\n"_qs);
  return text;
}

QString UpperCase(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(text[i], text[i + 1]));
      out += QString::fromUcs4(&upper, 1);
      ++i;
    } else {
      out += text[i].isSurrogate() ? text[i] : QChar(QChar::toUpper(text[i].unicode()));
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // the reference strip is quadratic
  const QString text = FuzzText(data, size);
  const QString once = NormalizeProgramText(text);
  FuzzCheck(NormalizeProgramText(once) == once, "normalising twice equals once");

  QString added = once;
  added.remove(u' ');
  added.replace(u";\r\n"_qs, u";"_qs);
  FuzzCheck(added == UpperCase(Stripped(text)), "only spaces and CR LF pairs dropped");
  return 0;
}
