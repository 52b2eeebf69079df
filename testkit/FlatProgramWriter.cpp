#include "testkit/FlatProgramWriter.h"

#include <algorithm>

#include "files/PutAscii.h"

QString ProgramFileText(const QString& editorText) {
  const qsizetype length = editorText.size();
  const char16_t* in = reinterpret_cast<const char16_t*>(editorText.constData());
  QString out(length, Qt::Uninitialized);
  char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
  char16_t* o = begin;
  for (qsizetype i = 0; i < length; ++i) {
    const char16_t c = in[i];
    if (c < 0x80) {
      o += PutAscii(o, c);
    } else if (QChar::isHighSurrogate(c) && i + 1 < length && QChar::isLowSurrogate(in[i + 1])) {
      const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(c, in[i + 1]));
      *o++ = QChar::highSurrogate(upper);
      *o++ = QChar::lowSurrogate(upper);
      ++i;
    } else if (QChar::isSurrogate(c)) {
      // A lone surrogate stands for a byte kept from the file as it was.
      *o++ = c;
    } else {
      // One character for one: the text keeps its length and line positions.
      *o++ = static_cast<char16_t>(QChar::toUpper(char32_t(c)));
    }
  }
  out.truncate(o - begin);
  return out;
}

Cp932Encoded EncodeProgramFile(const QString& editorText) {
  // Programs are nearly always ASCII, whose CP932 bytes are the characters
  // themselves: transform straight into bytes, and take the general road
  // only when some other character turns up.
  const qsizetype length = editorText.size();
  const char16_t* in = reinterpret_cast<const char16_t*>(editorText.constData());
  Cp932Encoded encoded;
  encoded.bytes.resize(length);
  char* const begin = encoded.bytes.data();
  char* o = begin;
  for (qsizetype i = 0; i < length; ++i) {
    const char16_t c = in[i];
    if (c >= 0x80) return EncodeCp932(ProgramFileText(editorText));
    o += PutAscii(o, c);
  }
  encoded.bytes.truncate(o - begin);
  return encoded;
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
  return WriteFileBlocks(path, [&bytes](const ByteSink& sink) { return sink(bytes); });
}

WriteResult WriteProgramFile(const QString& path, const QString& editorText) {
  const Cp932Encoded encoded = EncodeProgramFile(editorText);
  WriteResult result;
  if (encoded.badOffset >= 0) {
    // The file text has the editor's line ends, so its line count is the editor's.
    const QString fileText = ProgramFileText(editorText);
    const QChar* text = fileText.constData();
    result.status = WriteStatus::kUnencodable;
    result.badLine =
        static_cast<int32_t>(std::count(text, text + encoded.badOffset, QChar(u'\n')) + 1);
    return result;
  }
  result.status =
      WriteFileBytes(path, encoded.bytes) ? WriteStatus::kWritten : WriteStatus::kFailed;
  return result;
}
