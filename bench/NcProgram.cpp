#include "bench/NcProgram.h"

#include "text/ProgramText.h"

QString MakeCanonicalNcProgram(qsizetype bytes) {
  // As the reader gives it: every CR LF of the file becomes ";". Built in one
  // pass; QString::replace is slow for many short matches.
  const QByteArray file = MakeNcProgramBytes(bytes);
  QString text(file.size(), Qt::Uninitialized);
  QChar* out = text.data();
  qsizetype used = 0;
  for (qsizetype i = 0; i < file.size(); ++i) {
    if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') {
      out[used++] = u';';
      ++i;
    } else {
      out[used++] = QLatin1Char(file[i]);
    }
  }
  text.truncate(used);
  return NormalizeProgramText(text);
}
