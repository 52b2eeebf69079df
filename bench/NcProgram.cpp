#include "NcProgram.h"

#include "testkit/FlatProgramFile.h"

QString MakeCanonicalNcProgram(qsizetype bytes) {
  return ProgramTextFromFile(QString::fromLatin1(MakeNcProgramBytes(bytes)));
}
