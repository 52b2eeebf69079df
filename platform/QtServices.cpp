#include "platform/QtServices.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPixmapCache>
#include <QStringList>
#include <QTextBoundaryFinder>

#include "platform/LocalFileDialog.h"
#include "platform/LocalPath.h"
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

// Runs narrower than this always fit a box: Qt gives a box's text at least
// half the screen, up to 500 pixels.
constexpr int kUnbreakableWidth = 240;

constexpr QChar kZeroWidthSpace = QChar(0x200B);

// The most a box shows of one line, in characters, and the most lines it
// shows: a path can be any length and hold line breaks, and the box must
// still fit the screen with its button on it (and be laid out at once: a
// label laid out over megabytes takes minutes). What is left out is marked
// with an ellipsis, in the middle, where a path is least telling.
constexpr qsizetype kMaxLineChars = 120;
constexpr qsizetype kHeadLines = 4;
constexpr qsizetype kTailLines = 3;
constexpr QChar kEllipsis = QChar(0x2026);
constexpr QChar kVerticalEllipsis = QChar(0x22EE);

// `line` cut to kMaxLineChars in the middle, never between the two halves of
// a surrogate pair.
QString ElideMiddle(QStringView line) {
  if (line.size() <= kMaxLineChars) return line.toString();
  qsizetype head = kMaxLineChars / 2;
  if (line[head - 1].isHighSurrogate()) --head;
  qsizetype tail = line.size() - (kMaxLineChars - kMaxLineChars / 2 - 1);
  if (line[tail].isLowSurrogate()) ++tail;
  return line.left(head).toString() + kEllipsis + line.mid(tail).toString();
}

// Qt's boxes and file dialogs build their icons afresh each time they open,
// and the scaled images of those icons stay in the application's pixmap cache
// under keys that nobody asks for again: over a long session the cache would
// fill to its limit (10 MB), some 25 KB for every file dialog shown. Once a
// box has closed, drop what it left there; what the frame still draws from
// the cache is made again on its next paint.
void ForgetDialogImages() { QPixmapCache::clear(); }

// A break opportunity between every two characters (grapheme clusters) of `run`.
QString BreakAnywhere(const QString& run) {
  QString out;
  out.reserve(run.size() * 2);
  QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, run);
  qsizetype start = 0;
  for (qsizetype end = graphemes.toNextBoundary(); end != -1; end = graphemes.toNextBoundary()) {
    if (start > 0 && run[start] != u'\n' && run[start - 1] != u'\n') out += kZeroWidthSpace;
    out += QStringView(run).mid(start, end - start);
    start = end;
  }
  return out;
}

}  // namespace

QString BoundReportText(const QString& text) {
  // Kept file bytes (a name that is not UTF-8) show as U+FFFD.
  const QString shown = DisplayLocalPath(text);
  const QStringView all(shown);
  // The starts of the first lines, and of the last ones, found without
  // splitting the whole text.
  QList<qsizetype> starts{0};
  for (qsizetype at = 0; starts.size() <= kHeadLines + kTailLines;) {
    at = all.indexOf(u'\n', at);
    if (at < 0) break;
    starts.append(++at);
  }
  QStringList lines;
  const auto lineAt = [&all](qsizetype start) {
    const qsizetype end = all.indexOf(u'\n', start);
    return ElideMiddle(all.mid(start, end < 0 ? -1 : end - start));
  };
  if (starts.size() <= kHeadLines + kTailLines) {
    for (qsizetype start : starts) lines << lineAt(start);
    return lines.join(u'\n');
  }
  for (qsizetype k = 0; k < kHeadLines; ++k) lines << lineAt(starts[k]);
  lines << QString(kVerticalEllipsis);
  QStringList tail;
  for (qsizetype end = all.size(); tail.size() < kTailLines;) {
    const qsizetype start = all.lastIndexOf(u'\n', end - 1) + 1;
    tail.prepend(ElideMiddle(all.mid(start, end - start)));
    end = start - 1;
  }
  return (lines + tail).join(u'\n');
}

QString WrapLongRuns(const QString& text, const QFontMetrics& metrics, int width) {
  QString out;
  QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
  qsizetype start = 0;
  for (qsizetype end = breaks.toNextBoundary(); end != -1; end = breaks.toNextBoundary()) {
    if (end == start) continue;
    const QString run = text.mid(start, end - start);
    out += metrics.horizontalAdvance(run) > width ? BreakAnywhere(run) : run;
    start = end;
  }
  return out;
}

QWidget* QtServices::Owner() const {
  if (owner_) return owner_;
  return QApplication::activeWindow();
}

QString QtServices::RunFileDialog(const QString& filter, int flags, bool save) {
  QString path;
  {
    LocalFileDialog dialog(Owner());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setNameFilter(QtNameFilters(filter));
    if (!save) {
      dialog.setFileMode((flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
    } else {
      dialog.setFileMode(QFileDialog::AnyFile);
      if (!(flags & OFN_OVERWRITEPROMPT)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (dialog.exec() == QDialog::Accepted) path = dialog.ChosenPath();
  }
  ForgetDialogImages();
  return path;
}

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
  int answer = MsgBoxResult::kOk;
  {
    QMessageBox box(IconOf(style), title, QString(), QMessageBox::NoButton, Owner());
    box.setTextFormat(Qt::PlainText);
    box.setText(WrapLongRuns(BoundReportText(text), box.fontMetrics(), kUnbreakableWidth));
    if ((style & 0x0f) == MsgBoxStyle::kYesNo) {
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
    } else {
      box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
      case QMessageBox::Yes: answer = MsgBoxResult::kYes; break;
      case QMessageBox::No: answer = MsgBoxResult::kNo; break;
      default: break;
    }
  }
  ForgetDialogImages();
  return answer;
}

QString QtServices::ShowOpenDialog(const QString& filter, int flags) {
  return RunFileDialog(filter, flags, false);
}

QString QtServices::ShowSaveDialog(const QString& filter, int flags) {
  return RunFileDialog(filter, flags, true);
}

std::unique_ptr<Printer> QtServices::DefaultPrinter() { return std::make_unique<QtPrinter>(); }
