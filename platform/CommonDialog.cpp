#include "platform/CommonDialog.h"

#include "platform/Services.h"

void CommonDialog::ShowOpen() { FileName = services_.ShowOpenDialog(Filter, Flags); }

void CommonDialog::ShowSave() { FileName = services_.ShowSaveDialog(Filter, Flags); }

int MsgBox(Services& services, const QString& prompt, int style, const QString& title) {
  return services.MsgBox(prompt, style, title);
}
