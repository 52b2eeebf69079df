#include "editor/ModeTexts.h"

QString SignedNumber(long long value) {
  // Non-negative numbers take a blank where a minus sign would stand.
  const QString digits = QString::number(value);
  return value < 0 ? digits : QLatin1Char(' ') + digits;
}

QString LineText(int32_t lineNumber) { return SignedNumber(lineNumber) + QStringLiteral("行目"); }
