#pragma once
// Turns fuzzer bytes into texts for the text routines, and stops the run on a
// broken property so that libFuzzer keeps the input.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The first byte picks how the rest becomes text: raw UTF-16 code units (lone
// surrogates, NUL, anything), or one character per byte: ASCII bytes are
// themselves, the bytes from 0x80 on pick from an alphabet of characters that
// trip text routines up.
inline QString FuzzText(const uint8_t* data, size_t size) {
  if (size == 0) return QString();
  const uint8_t mode = data[0];
  ++data;
  --size;
  if (mode & 1) {
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t k = 0; k + 1 < size; k += 2) text[qsizetype(k / 2)] = QChar(char16_t(data[k] | data[k + 1] << 8));
    return text;
  }
  static constexpr char16_t kAlphabet[] = {
      0x3000, 0xFF38, 0xFF11, 0x0131, 0x017F, 0x00DF, 0x00E9, 0x5DE5,
      0xDC81, 0xD83D, 0xDE00, 0xD800, 0xDFFF, 0xFEFF, 0x0085, 0x2028};
  constexpr size_t kAlphabetSize = sizeof kAlphabet / sizeof kAlphabet[0];
  QString text(qsizetype(size), Qt::Uninitialized);
  for (size_t k = 0; k < size; ++k) {
    const size_t pick = size_t(data[k]) - 0x80;
    text[qsizetype(k)] = QChar(pick < kAlphabetSize ? kAlphabet[pick] : char16_t(data[k]));
  }
  return text;
}

inline void FuzzCheck(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
  }
}
