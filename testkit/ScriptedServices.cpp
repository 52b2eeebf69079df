#include "testkit/ScriptedServices.h"

namespace {

QString NextPath(std::deque<QString>& script) {
  if (script.empty()) return QString();
  QString path = script.front();
  script.pop_front();
  return path;
}

}  // namespace

bool RecordingPrinter::Print(const QString& text) {
  if (!available_) return false;
  job_.printed << text;
  return true;
}

bool RecordingPrinter::EndDoc() {
  if (!available_) return false;
  job_.ended = true;
  return true;
}

int ScriptedServices::MsgBox(const QString& prompt, int style, const QString& title) {
  messages.push_back({prompt, style, title});
  if (onMessage) onMessage(messages.back());
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return (style & MsgBoxStyle::kYesNo) ? MsgBoxResult::kYes : MsgBoxResult::kOk;
}

QString ScriptedServices::ShowOpenDialog(const QString& filter, int flags) {
  openCalls.push_back({filter, flags});
  if (onDialog) onDialog();
  return NextPath(openPaths);
}

QString ScriptedServices::ShowSaveDialog(const QString& filter, int flags) {
  saveCalls.push_back({filter, flags});
  if (onDialog) onDialog();
  return NextPath(savePaths);
}

std::unique_ptr<Printer> ScriptedServices::DefaultPrinter() {
  jobs.push_back(std::make_unique<PrintJob>());
  return std::make_unique<RecordingPrinter>(*jobs.back(), printerAvailable, pageWidth, pageHeight,
                                            charWidth, charHeight);
}
