#include "bench/NcProgram.h"

#include "text/ProgramText.h"

QString MakeCanonicalNcProgram(qsizetype bytes) {
  QString text = QString::fromLatin1(MakeNcProgramBytes(bytes));
  text.replace(QStringLiteral("\r\n"), QStringLiteral(";"));
  return NormalizeProgramText(text);
}
