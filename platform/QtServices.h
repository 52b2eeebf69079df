#pragma once
// The desktop's own message boxes and file dialogs, for the running program.

#include <QString>

#include "platform/Services.h"

class QtServices : public Services {
 public:
  int MsgBox(const QString& prompt, int style, const QString& title) override;
  QString ShowOpenDialog(const QString& filter, int flags) override;
  QString ShowSaveDialog(const QString& filter, int flags) override;
  // No printing service yet: callers treat null as "no printer".
  std::unique_ptr<Printer> DefaultPrinter() override;
};

// "label|*.m;*.s" (pairs of label and patterns, "|"-separated) as a file
// dialog's name filters: "label (*.m *.s)", several joined with ";;".
QString QtNameFilters(const QString& filter);
