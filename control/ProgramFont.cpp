#include "control/ProgramFont.h"

#include <QFont>
#include <QString>

QFont ProgramFont(int points) { return QFont(QString::fromUtf16(kProgramFontFamily), points); }
