#pragma once
// The desktop's own message boxes, file dialogs and default printer, for the
// running program.

#include <QString>

#include "platform/Services.h"

class QtServices : public Services {
 public:
  int MsgBox(const QString& prompt, int style, const QString& title) override;
  QString ShowOpenDialog(const QString& filter, int flags) override;
  QString ShowSaveDialog(const QString& filter, int flags) override;
  // A job on the default printer; where there is none, the job reports
  // itself unavailable and prints nothing.
  std::unique_ptr<Printer> DefaultPrinter() override;
};

// "label|*.m;*.s" (pairs of label and patterns, "|"-separated) as a file
// dialog's name filters: "label (*.m *.s)", several joined with ";;".
QString QtNameFilters(const QString& filter);
