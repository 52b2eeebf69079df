#pragma once
// Services for benchmarks: every message box answered at once, the open
// dialog answered with `openPath`, no printer.

#include <QString>
#include <memory>

#include "platform/Printer.h"
#include "platform/Services.h"

class SilentServices : public Services {
 public:
  QString openPath;
  int MsgBox(const QString&, int style, const QString&) override {
    return (style & MsgBoxStyle::kYesNo) ? MsgBoxResult::kYes : MsgBoxResult::kOk;
  }
  QString ShowOpenDialog(const QString&, int) override { return openPath; }
  QString ShowSaveDialog(const QString&, int) override { return {}; }
  std::unique_ptr<Printer> DefaultPrinter() override { return nullptr; }
};
