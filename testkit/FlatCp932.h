#pragma once
// The CP932 codec over a whole buffer at once: the reference the streaming
// codec's users (the reader, the writers) are checked against, and the
// simplest way for a test to make or read a file's bytes. The program itself
// converts in pieces (files/Cp932.h).

#include <QByteArray>
#include <QString>

// The text of CP932 bytes, as Cp932Decoder decodes them: a byte that is not
// part of a valid character comes back as the lone surrogate U+DC00 + byte.
// EncodeCp932(DecodeCp932(b)) gives b back for every b.
QString DecodeCp932(const QByteArray& bytes);

struct Cp932Encoded {
  QByteArray bytes;          // empty when the text could not be encoded
  qsizetype badOffset = -1;  // index in the QString of the first character
                             // CP932 cannot write
  bool ok() const { return badOffset < 0; }
};

// The CP932 bytes of `text`, as Cp932Encoder encodes them. A lone surrogate
// U+DC80..U+DCFF stands for the byte U+DC00 less; any character CP932 cannot
// write (and any other lone surrogate) fails the whole text.
Cp932Encoded EncodeCp932(const QString& text);
