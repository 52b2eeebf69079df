#include "testkit/FlatCp932.h"

#include "files/Cp932.h"

QString DecodeCp932(const QByteArray& bytes) {
  // ASCII bytes as they are, the stretches between them through the decoder.
  QString text(bytes.size(), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  Cp932Decoder decoder;
  qsizetype i = 0, w = 0;
  while (i < bytes.size()) {
    if (static_cast<uchar>(bytes[i]) < 0x80) {
      out[w++] = static_cast<uchar>(bytes[i++]);
      continue;
    }
    qsizetype units = 0;
    i += decoder.decodeStretch(bytes.constData() + i, bytes.size() - i, out + w, units);
    w += units;
  }
  text.truncate(w);
  return text;
}

Cp932Encoded EncodeCp932(const QString& text) {
  Cp932Encoded result;
  const qsizetype bad = Cp932Encoder().encode(text, result.bytes);
  if (bad >= 0) {
    result.bytes.clear();
    result.badOffset = bad;
  }
  return result;
}
