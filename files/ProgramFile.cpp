#include "files/ProgramFile.h"

#include <QFile>
#include <QFileInfo>

#include "platform/Cp932.h"
#include "text/ProgramText.h"

QString ProgramTextFromFile(QString content) {
  // Left to right, pairs do not overlap: CR CR LF becomes CR ";".
  content.replace(QStringLiteral("\r\n"), QStringLiteral(";"));
  return NormalizeProgramText(content);
}

bool ReadProgramFile(const QString& path, QString& text) {
  if (QFileInfo(path).isDir()) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  file.close();
  QString content = DecodeCp932(bytes);
  bytes = QByteArray();  // the raw bytes are not needed any more
  text = ProgramTextFromFile(std::move(content));
  return true;
}
