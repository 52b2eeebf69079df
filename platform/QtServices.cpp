#include "platform/QtServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "platform/Printer.h"
#include "platform/QtPrinter.h"

namespace {

QMessageBox::Icon IconOf(int style) {
  switch (style & 0x70) {
    case MsgBoxStyle::kQuestion: return QMessageBox::Question;
    case MsgBoxStyle::kExclamation: return QMessageBox::Warning;
    case MsgBoxStyle::kInformation: return QMessageBox::Information;
    case 16: return QMessageBox::Critical;
    default: return QMessageBox::NoIcon;
  }
}

QString RunFileDialog(const QString& filter, int flags, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(QApplication::activeWindow());
  dialog.setAcceptMode(mode);
  dialog.setNameFilter(QtNameFilters(filter));
  if (mode == QFileDialog::AcceptOpen) {
    dialog.setFileMode((flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                   : QFileDialog::AnyFile);
  } else {
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!(flags & OFN_OVERWRITEPROMPT)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  }
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QString QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

int QtServices::MsgBox(const QString& prompt, int style, const QString& title) {
  QString text = prompt;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(IconOf(style), title, text, QMessageBox::NoButton, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  if ((style & 0x0f) == MsgBoxStyle::kYesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return MsgBoxResult::kYes;
    case QMessageBox::No: return MsgBoxResult::kNo;
    default: return MsgBoxResult::kOk;
  }
}

QString QtServices::ShowOpenDialog(const QString& filter, int flags) {
  return RunFileDialog(filter, flags, QFileDialog::AcceptOpen);
}

QString QtServices::ShowSaveDialog(const QString& filter, int flags) {
  return RunFileDialog(filter, flags, QFileDialog::AcceptSave);
}

std::unique_ptr<Printer> QtServices::DefaultPrinter() { return std::make_unique<QtPrinter>(); }
