#include "platform/CommonDialog.h"

#include "platform/Services.h"

void CommonDialog::ShowOpen() { FileName = services_.ShowOpenDialog(Filter, Flags); }

void CommonDialog::ShowSave() { FileName = services_.ShowSaveDialog(Filter, Flags); }
