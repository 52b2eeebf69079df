#include "platform/Services.h"

int MsgBox(Services& services, const QString& prompt, int style, const QString& title) {
  return services.MsgBox(prompt, style, title);
}

QString FileReport(const QString& path, const QString& sentence) {
  return path + QStringLiteral("\r\n\r\n") + sentence;
}
