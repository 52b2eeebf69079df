#include "files/ProgramWriter.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "platform/Cp932.h"

QString ProgramFileText(const QString& editorText) {
  const qsizetype length = editorText.size();
  const QChar* in = editorText.constData();
  QString out(length, Qt::Uninitialized);
  QChar* const begin = out.data();
  QChar* o = begin;
  for (qsizetype i = 0; i < length; ++i) {
    const char16_t c = in[i].unicode();
    if (c < 0x80) {
      if (c == u' ' || c == u';') continue;
      *o++ = QChar((c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c);
    } else if (QChar::isHighSurrogate(c) && i + 1 < length && in[i + 1].isLowSurrogate()) {
      const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(c, in[i + 1].unicode()));
      *o++ = QChar(QChar::highSurrogate(upper));
      *o++ = QChar(QChar::lowSurrogate(upper));
      ++i;
    } else if (QChar::isSurrogate(c)) {
      // A lone surrogate stands for a byte kept from the file as it was.
      *o++ = QChar(c);
    } else {
      // One character for one: the text keeps its length and line positions.
      *o++ = QChar(QChar::toUpper(char32_t(c)));
    }
  }
  out.truncate(o - begin);
  return out;
}

namespace {

// The file a save really replaces: the target of a symbolic link (so the link
// stays), otherwise the path itself.
QString FileToReplace(const QString& path) {
  const QFileInfo info(path);
  if (!info.isSymLink()) return path;
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

}  // namespace

bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
  const QString target = FileToReplace(path);
  if (target.isEmpty() || QFileInfo(target).isDir()) return false;
  // QSaveFile writes beside the target and renames over it on commit, taking
  // over the old file's permissions; until then the old file is untouched.
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

WriteResult WriteProgramFile(const QString& path, const QString& editorText) {
  const QString fileText = ProgramFileText(editorText);
  const Cp932Encoded encoded = EncodeCp932(fileText);
  WriteResult result;
  if (encoded.badOffset >= 0) {
    // The file text has the editor's line ends, so its line count is the editor's.
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
