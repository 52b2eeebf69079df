#pragma once
// What the program asks of the desktop beyond its own windows: message boxes,
// the common file dialogs and the default printer. The frame holds one
// Services object; production uses QtServices, tests answer through a script.

#include <QString>
#include <memory>

class Printer;

// Message-box styles and answers, as the program's messages are written.
namespace MsgBoxStyle {
constexpr int kYesNo = 4;
constexpr int kQuestion = 32;
constexpr int kExclamation = 48;
constexpr int kInformation = 64;
constexpr int kQuestionYesNo = kQuestion + kYesNo;  // 36
}  // namespace MsgBoxStyle

// The titles of the program's message boxes.
namespace MsgBoxTitle {
inline const QString kQuestion = QStringLiteral("問い合わせ");  // Yes or No
inline const QString kReport = QStringLiteral("報告");          // a result, OK
inline const QString kCaution = QStringLiteral("注意");         // a refusal, OK
}  // namespace MsgBoxTitle

namespace MsgBoxResult {
constexpr int kOk = 1;
constexpr int kYes = 6;
constexpr int kNo = 7;
}  // namespace MsgBoxResult

// File-dialog flags.
constexpr int OFN_OVERWRITEPROMPT = 2;
constexpr int OFN_FILEMUSTEXIST = 4096;

class Services {
 public:
  virtual ~Services() = default;

  // Shows a modal message box and returns the button pressed (MsgBoxResult).
  virtual int MsgBox(const QString& prompt, int style, const QString& title) = 0;

  // Modal open and save dialogs. `filter` is in the program's own notation
  // ("label|*.m;*.s"); the result is the chosen full path, or "" if cancelled.
  virtual QString ShowOpenDialog(const QString& filter, int flags) = 0;
  virtual QString ShowSaveDialog(const QString& filter, int flags) = 0;

  // A new print job on the system's default printer.
  virtual std::unique_ptr<Printer> DefaultPrinter() = 0;
};

// MsgBox through the services; the same call shape as the program's messages.
int MsgBox(Services& services, const QString& prompt, int style, const QString& title);

// A report that names a file: the path, an empty line, then the sentence.
QString FileReport(const QString& path, const QString& sentence);
