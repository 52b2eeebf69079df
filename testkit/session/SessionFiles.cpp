#include "testkit/session/SessionFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <string>

namespace editor_session {

namespace {

const char kVanishing[] = "vanish.m";
const QString kPicture = QStringLiteral("picture.png");

}  // namespace

SessionFiles::SessionFiles(const QString& dir) : dir_(dir) {
  // A real picture, written once through Qt and kept as the bytes of a ".m".
  QByteArray png;
  {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QFile file(dir_.filePath(kPicture));
    if (file.open(QIODevice::WriteOnly)) image.save(&file, "PNG");
  }
  QFile file(dir_.filePath(kPicture));
  if (file.open(QIODevice::ReadOnly)) png = file.readAll();

  contents_ = {
      {"program.m", "G90G54\r\nG01X10.Y-20.5F100\r\n\r\nM30\r\n"},
      {"back.s", "N1G00X0Y0\r\nN2G02X5.Y5.R5.\r\nN3M99"},
      {"empty.m", QByteArray()},
      {"nul.m", QByteArray(64, '\0')},
      {"picture.m", png},
      {"longline.m", QByteArray(20000, 'X')},
      // A lead byte at the end, bytes that are no CP932 character.
      {"badbytes.m", QByteArray("G01\x80X1\xff\r\n\xa0Y\x82\xa0\r\nZ\x81")},
      {"bare.m", QByteArray("A1\rB2\nC3\r\r\nD4\n\r")},
      {"japanese.m", QByteArray("(\x89\xc1\x8d\x48)G01\r\n(\xb6\xc0)\r\n")},
      {kVanishing, QByteArray("X1\r\n")},
  };
  Reset();
}

void SessionFiles::Reset() {
  for (const QString& name : dir_.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
    if (name == kPicture) continue;
    const QString path = dir_.filePath(name);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner);
    if (QFileInfo(path).isDir()) QDir(path).removeRecursively();
    else QFile::remove(path);
  }
  for (const auto& [name, bytes] : contents_) {
    QFile file(dir_.filePath(QLatin1String(name)));
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
  }
  dir_.mkdir(QStringLiteral("folder.m"));
}

SessionFiles::OpenChoice SessionFiles::ForOpen(uint8_t choice) const {
  const int count = int(contents_.size());
  const int pick = choice % (count + 3);
  if (pick < count) {
    const char* name = contents_[size_t(pick)].first;
    return {dir_.filePath(QLatin1String(name)), std::string(name) == kVanishing};
  }
  if (pick == count) return {dir_.filePath(QStringLiteral("folder.m"))};
  if (pick == count + 1) return {dir_.filePath(QStringLiteral("missing.m"))};
  return {};
}

QString SessionFiles::ForSave(uint8_t choice) const {
  switch (choice % 6) {
    case 0: return dir_.filePath(QStringLiteral("saved.m"));
    case 1: return dir_.filePath(QStringLiteral("program.m"));
    case 2: return dir_.filePath(QStringLiteral("folder.m"));
    case 3: return dir_.filePath(QStringLiteral("nowhere/x.m"));
    case 4: return dir_.filePath(QStringLiteral("noext"));
    default: return QString();
  }
}

}  // namespace editor_session
