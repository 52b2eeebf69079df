#include "testkit/FlatCp932.h"

#include "files/Cp932.h"

QString DecodeCp932(const QByteArray& bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  text.truncate(Cp932Decoder().decode(bytes.constData(), bytes.size(),
                                      reinterpret_cast<char16_t*>(text.data())));
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
