#include "print/TwoColumnListing.h"

#include <QStringView>
#include <algorithm>

#include "platform/TextStore.h"

QStringList ProgramLines(const TextStore& text) {
  QStringList lines;
  // A line runs through its line feed; the empty remainder behind a final
  // line feed is not a line.
  for (int32_t line = 0; line < text.lineCount(); ++line) {
    const int32_t start = text.lineStart(line);
    const int32_t end = text.lineEnd(line);
    if (start == end) break;
    lines.append(text.mid(start, end - start));
  }
  return lines;
}

namespace {

// A line as the listing shows it: without CR LF pairs, then without ";".
QString ListedLine(const QString& line) {
  QString listed = line;
  listed.remove(QStringLiteral("\r\n"));
  listed.remove(u';');
  return listed;
}

// Pages follow each other with a line end between them; a page's rows are
// counted, not its characters, so a page of empty rows still keeps its place.
void AppendPage(QString& listing, int& pages, const QStringList& rows) {
  if (pages++ > 0) listing += QStringLiteral("\r\n");
  listing += rows.join(QStringLiteral("\r\n"));
}

}  // namespace

QString TwoColumnListing(const QStringList& lines, int linesPerPage, int columnWidth) {
  const int rowsPerPage = std::max(linesPerPage, 1);
  QStringList rows(rowsPerPage);
  QString listing;
  int pages = 0;
  int column = 1;
  int row = 0;  // 0-based
  bool pageHasLine = false;

  for (const QString& line : lines) {
    const QString listed = ListedLine(line);
    if (column == 1) {
      rows[row] = listed;
      if (listed.size() < columnWidth) rows[row] += QString(columnWidth - listed.size(), u' ');
    } else {
      rows[row] += listed;
    }
    pageHasLine = true;
    if (++row < rowsPerPage) continue;
    row = 0;
    if (column == 1) {
      column = 2;
      continue;
    }
    AppendPage(listing, pages, rows);
    rows.fill(QString());
    column = 1;
    pageHasLine = false;
  }
  if (pageHasLine || lines.isEmpty()) AppendPage(listing, pages, rows);
  return listing;
}
