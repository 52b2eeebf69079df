#include "testkit/ScriptedServices.h"

namespace {

QString NextPath(std::deque<QString>& script) {
  if (script.empty()) return QString();
  QString path = script.front();
  script.pop_front();
  return path;
}

}  // namespace

double RecordingPrinter::TextWidth(const QString& text) const {
  double cells = 0;
  for (const QChar ch : text) {
    const char16_t u = ch.unicode();
    const bool halfWidthKana = u >= 0xFF61 && u <= 0xFF9F;
    cells += (u >= 0x2E80 && !halfWidthKana && !ch.isLowSurrogate()) ? 2 : 1;
  }
  return charWidth_ * cells;
}

bool RecordingPrinter::PrintAt(double x, double y, const QString& text) {
  if (!available_ || job_.ended) return false;
  if (job_.pages.isEmpty()) job_.pages.append(QList<PrintedText>());
  job_.pages.last().append({x, y, text});
  if (job_.onPrint) job_.onPrint();
  return true;
}

bool RecordingPrinter::NewPage() {
  if (!available_ || job_.ended) return false;
  if (job_.pages.isEmpty()) job_.pages.append(QList<PrintedText>());
  job_.pages.append(QList<PrintedText>());
  return true;
}

bool RecordingPrinter::EndDoc() {
  if (!available_) return false;
  job_.ended = true;
  if (job_.onEnd) job_.onEnd();
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
  jobs.back()->onPrint = onPrint;
  jobs.back()->onEnd = onEnd;
  return std::make_unique<RecordingPrinter>(*jobs.back(), printerAvailable, pageWidth, pageHeight,
                                            charWidth, charHeight);
}
