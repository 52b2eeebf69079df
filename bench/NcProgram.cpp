#include "NcProgram.h"

#include "files/ProgramFile.h"

QString MakeCanonicalNcProgram(qsizetype bytes) {
  return ProgramTextFromFile(QString::fromLatin1(MakeNcProgramBytes(bytes)));
}
