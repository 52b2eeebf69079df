#pragma once
// Program files are stored in code page 932 (Windows-31J). The conversion runs
// on glibc's iconv and loses nothing: bytes that are not a CP932 character come
// back from decoding as lone surrogates and go out again unchanged.

#include <QByteArray>
#include <QString>

// The text of CP932 bytes. Every byte that is not part of a valid character,
// and every character whose bytes are not the form CP932 writes it in (the
// NEC/IBM duplicates such as 0xED40 for 0xFA5C), is kept as its own code unit:
// a byte b >= 0x80 becomes U+DC00 + b, a byte below 0x80 stays the ASCII
// character it is. EncodeCp932(DecodeCp932(b)) gives b back for every b.
QString DecodeCp932(const QByteArray& bytes);

struct Cp932Encoded {
  QByteArray bytes;          // empty when the text could not be encoded
  qsizetype badOffset = -1;  // index in the QString of the first character
                             // CP932 cannot write
  bool ok() const { return badOffset < 0; }
};

// The CP932 bytes of `text`. A lone surrogate U+DC80..U+DCFF stands for the
// byte U+DC00 less; any character CP932 cannot write (and any other lone
// surrogate) fails the whole text: nothing is ever replaced by "?".
Cp932Encoded EncodeCp932(const QString& text);
