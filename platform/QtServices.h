#pragma once
// The desktop's own message boxes, file dialogs and default printer, for the
// running program.

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/Services.h"

class QFontMetrics;

class QtServices : public Services {
 public:
  // The window every box and dialog belongs to: each is transient for it,
  // modal and centred over it, also when it follows another box. Without an
  // owner they belong to whichever window is active.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  int MsgBox(const QString& prompt, int style, const QString& title) override;
  QString ShowOpenDialog(const QString& filter, int flags) override;
  QString ShowSaveDialog(const QString& filter, int flags) override;
  // A job on the default printer; where there is none, the job reports
  // itself unavailable and prints nothing.
  std::unique_ptr<Printer> DefaultPrinter() override;

 private:
  QWidget* Owner() const;
  QString RunFileDialog(const QString& filter, int flags, bool save);

  QPointer<QWidget> owner_;
};

// "label|*.m;*.s" (pairs of label and patterns, "|"-separated) as a file
// dialog's name filters: "label (*.m *.s)", several joined with ";;".
QString QtNameFilters(const QString& filter);

// What a box shows of `text` (lines separated by LF), bounded whatever its
// length: each line cut in the middle to at most 120 characters, at most
// eight lines (the first four, a line "⋮", the last three), kept file bytes
// of a path shown as U+FFFD.
QString BoundReportText(const QString& text);

// `text` with a break opportunity (U+200B) between every two characters of
// each run that cannot be wrapped and is wider than `width`: a long path then
// wraps anywhere instead of running off the edge of a box. Text that wraps
// by itself, such as a Japanese sentence, is left as it is.
QString WrapLongRuns(const QString& text, const QFontMetrics& metrics, int width);
