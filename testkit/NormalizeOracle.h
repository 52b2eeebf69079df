#pragma once
// A slow, obvious account of what the normaliser may do to a text, shared by
// the unit test and the fuzz target: it drops spaces and CR LF pairs (also the
// pairs that meet once an inner pair has gone), upper-cases each code point,
// and adds spaces and a CR LF after each ";".

#include <QChar>
#include <QString>

// The input with what the normaliser may drop taken away, upper-cased.
inline QString NormalizerCore(QString text) {
  text.remove(u' ');
  // Bounded: each pass shortens the text.
  while (text.contains(QStringLiteral("\r\n"))) text.remove(QStringLiteral("\r\n"));
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

// The normaliser's output with its own additions taken away: the spaces, and
// the CR LF it puts after each ";".
inline QString WithoutNormalizerAdditions(QString normalized) {
  normalized.remove(u' ');
  normalized.replace(QStringLiteral(";\r\n"), QStringLiteral(";"));
  return normalized;
}
