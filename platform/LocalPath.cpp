#include "platform/LocalPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>
#include <memory>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Whether the unit at `i` stands for a kept byte: a low surrogate in
// U+DC80..U+DCFF that is not the second half of a pair.
bool IsKeptByte(const QString& path, qsizetype i) {
  const char16_t c = path.at(i).unicode();
  return c >= 0xDC80 && c <= 0xDCFF && !(i > 0 && QChar::isHighSurrogate(path.at(i - 1).unicode()));
}

// The length of the valid UTF-8 sequence at `p` (of `left` bytes), or 0.
// Overlong forms, surrogates and values above U+10FFFF are not valid.
int Utf8SequenceLength(const unsigned char* p, qsizetype left) {
  const unsigned char b = p[0];
  if (b < 0x80) return 1;
  int length = 0;
  char32_t value = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
    value = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    value = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    value = b & 0x07;
  } else {
    return 0;
  }
  if (left < length) return 0;
  for (int i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (p[i] & 0x3F);
  }
  if (length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) return 0;
  if (length == 4 && (value < 0x10000 || value > 0x10FFFF)) return 0;
  return length;
}

constexpr QChar kReplacement = QChar(0xFFFD);

bool Exists(const QByteArray& bytes) {
  struct stat status;
  return ::lstat(bytes.isEmpty() ? "." : bytes.constData(), &status) == 0;
}

// The bytes of the one entry of `folder` ("" for the current folder) that Qt
// shows as `name`, or nothing when no entry or several do. One pass over the
// listing: a folder of 100,000 entries takes some tens of milliseconds.
QByteArray EntryShownAs(const QByteArray& folder, const QString& name) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.isEmpty() ? "." : folder.constData()),
                                                 ::closedir);
  if (!dir) return {};
  QByteArray found;
  while (const dirent* entry = ::readdir(dir.get())) {
    const QByteArray bytes(entry->d_name);
    // Every UTF-16 unit of a decoded name comes from at least one byte.
    if (bytes.size() < name.size() || QFile::decodeName(bytes) != name) continue;
    if (!found.isEmpty()) return {};  // several: which one was meant is unknown
    found = bytes;
  }
  return found;
}

}  // namespace

QString DecodeLocalPath(const QByteArray& bytes) {
  QString path;
  path.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype size = bytes.size();
  for (qsizetype i = 0; i < size;) {
    const int length = Utf8SequenceLength(p + i, size - i);
    if (length == 0) {
      path += QChar(char16_t(kEscapeBase + p[i]));
      ++i;
    } else {
      path += QString::fromUtf8(reinterpret_cast<const char*>(p + i), length);
      i += length;
    }
  }
  return path;
}

QByteArray EncodeLocalPath(const QString& path) {
  QByteArray bytes;
  bytes.reserve(path.size());
  const qsizetype size = path.size();
  for (qsizetype i = 0; i < size;) {
    qsizetype end = i;
    while (end < size && !IsKeptByte(path, end)) ++end;
    bytes += QStringView(path).mid(i, end - i).toUtf8();
    for (i = end; i < size && IsKeptByte(path, i); ++i) {
      bytes += char(path.at(i).unicode() - kEscapeBase);
    }
  }
  return bytes;
}

QString DisplayLocalPath(const QString& path) {
  QString shown = path;
  for (qsizetype i = 0; i < shown.size(); ++i) {
    if (IsKeptByte(path, i)) shown[i] = QChar(0xFFFD);
  }
  return shown;
}

QString ResolveShownPath(const QString& shown) {
  if (!shown.contains(kReplacement) || Exists(EncodeLocalPath(shown))) return shown;
  const QStringList parts = shown.split(QLatin1Char('/'));
  QByteArray resolved;
  bool changed = false;
  bool listable = true;  // whether `resolved` may still name a folder on disk
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (i > 0) resolved += '/';
    QByteArray bytes = EncodeLocalPath(parts[i]);
    if (listable && parts[i].contains(kReplacement) && !Exists(resolved + bytes)) {
      const QByteArray entry = EntryShownAs(resolved, parts[i]);
      listable = !entry.isEmpty();
      if (listable) {
        bytes = entry;
        changed = true;
      }
    }
    resolved += bytes;
  }
  return changed ? DecodeLocalPath(resolved) : shown;
}
