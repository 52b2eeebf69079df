// Any bytes decode to a text that encodes back to exactly those bytes; any
// text either encodes or names a character of its own as the bad one.

#include "FuzzInput.h"
#include "files/Cp932.h"
#include "testkit/FlatCp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const QString text = DecodeCp932(bytes);
  FuzzCheck(text.size() <= bytes.size(), "decoding gives at most one unit per byte");
  const Cp932Encoded back = EncodeCp932(text);
  FuzzCheck(back.ok(), "decoded text encodes");
  FuzzCheck(back.bytes == bytes, "round trip gives the bytes back");

  // The same bytes read as UTF-16 text.
  QString units(qsizetype(size / 2), Qt::Uninitialized);
  for (size_t k = 0; k + 1 < size; k += 2) units[qsizetype(k / 2)] = QChar(char16_t(data[k] | data[k + 1] << 8));
  const Cp932Encoded encoded = EncodeCp932(units);
  if (encoded.ok()) {
    FuzzCheck(EncodeCp932(DecodeCp932(encoded.bytes)).bytes == encoded.bytes, "encoded bytes round trip");
  } else {
    FuzzCheck(encoded.badOffset < units.size(), "bad offset inside the text");
    FuzzCheck(encoded.bytes.isEmpty(), "no bytes on failure");
    FuzzCheck(EncodeCp932(units.first(encoded.badOffset)).ok(), "everything before the bad offset encodes");
  }
  return 0;
}
