#pragma once
// Program files are stored in code page 932 (Windows-31J). The conversion runs
// on glibc's iconv and loses nothing: every byte that is not part of a valid
// character, and every character whose bytes are not the form CP932 writes it
// in (the NEC/IBM duplicates such as 0xED40 for 0xFA5C), is kept as its own
// code unit: a byte b >= 0x80 becomes the lone surrogate U+DC00 + b, a byte
// below 0x80 stays the ASCII character it is, and encoding gives the bytes
// back. A character CP932 cannot write fails the text: nothing is ever
// replaced by "?".

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <memory>

// Whether `c` is a lone surrogate U+DC80..U+DCFF: a byte kept from a file as
// it was, written back as that byte.
inline bool IsEscapedByte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// The conversions for text that comes in many pieces: each object keeps
// its iconv descriptors open from first use to its end, so that a piece costs
// no more than its characters. Not for use by two threads at once.
class Cp932Decoder {
 public:
  Cp932Decoder();
  ~Cp932Decoder();
  // Decodes the stretch of bytes from 0x80 on at the start of `bytes` (with
  // the ASCII second bytes of its two-byte characters) into `out`, which has
  // room for `count` units (no byte gives more than one), keeping every byte
  // it cannot read as above. The bytes before and after a stretch are ASCII,
  // one unit each. Returns the bytes taken and sets `written` to the units
  // written.
  qsizetype decodeStretch(const char* bytes, qsizetype count, char16_t* out, qsizetype& written);

 private:
  struct Stretches;
  std::unique_ptr<Stretches> stretches_;
};

class Cp932Encoder {
 public:
  Cp932Encoder();
  ~Cp932Encoder();
  // Appends the CP932 bytes of `text` to `out`; a lone surrogate
  // U+DC80..U+DCFF stands for the byte U+DC00 less. Returns -1, or the index
  // in `text` of the first character CP932 cannot write, or of a lone
  // surrogate that stands for no byte (`out` then holds an unspecified part
  // of the bytes).
  qsizetype encode(QStringView text, QByteArray& out);

 private:
  struct Converter;
  std::unique_ptr<Converter> converter_;
};
