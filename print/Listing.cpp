#include "print/Listing.h"

#include <algorithm>
#include <cmath>

#include "platform/Application.h"
#include "platform/Printer.h"

namespace {

constexpr double kListingFontSize = 14;
// Printer enumerations, value 1 of each.
constexpr int kPortrait = 1;
constexpr int kMonochrome = 1;
constexpr int kSimplex = 1;
// Widths are sums of glyph advances; this much rounding is no overflow.
constexpr double kSlack = 1e-6;

const QString kSpace = QStringLiteral(" ");

int RowsThatFit(const Printer& printer, double rowHeight) {
  if (rowHeight <= 0) return 1;
  return std::max(1, static_cast<int>(std::floor(printer.ScaleHeight() / rowHeight)));
}

// Continuation rows start two spaces in, unless the rows would then be too narrow.
double Indent(double space, double width) { return 2 * space <= width / 2 ? 2 * space : 0; }

qsizetype CharacterLength(const QString& s, qsizetype at) {
  return s[at].isHighSurrogate() && at + 1 < s.size() && s[at + 1].isLowSurrogate() ? 2 : 1;
}

// How many units of `s` begin its row within `width`: up to the last space
// that still fits, or as many characters as fit, at least one.
qsizetype RowLength(const QString& s, double width, const Printer& printer) {
  double used = 0;
  qsizetype fit = 0;
  qsizetype afterSpace = 0;
  while (fit < s.size()) {
    const qsizetype n = CharacterLength(s, fit);
    const double w = printer.TextWidth(s.mid(fit, n));
    if (fit > 0 && used + w > width + kSlack) break;
    used += w;
    fit += n;
    if (s[fit - 1] == u' ') afterSpace = fit;
  }
  if (fit == s.size() || s[fit] == u' ') return fit;
  if (afterSpace > 0) return afterSpace;
  // Widths of single characters may not add up to the width of the row.
  while (fit > 1 && printer.TextWidth(s.left(fit)) > width + kSlack)
    fit -= s[fit - 1].isLowSurrogate() && fit > 1 && s[fit - 2].isHighSurrogate() ? 2 : 1;
  return std::max<qsizetype>(fit, 1);
}

void ChopTrailingSpaces(QString& s) {
  qsizetype end = s.size();
  while (end > 0 && s[end - 1] == u' ') --end;
  s.truncate(end);
}

}  // namespace

ListingLayout OneColumnLayout(Printer& printer) {
  ListingLayout layout;
  layout.rowHeight = printer.TextHeight(kSpace);
  layout.rowsPerPage = RowsThatFit(printer, layout.rowHeight);
  layout.entryWidth = printer.ScaleWidth();
  layout.indent = Indent(printer.TextWidth(kSpace), layout.entryWidth);
  return layout;
}

ListingLayout TwoColumnLayout(Printer& printer) {
  printer.SetFontSize(kListingFontSize);
  printer.SetFontName(QString::fromUtf16(kProgramFontFamily));
  printer.SetOrientation(kPortrait);
  printer.SetColorMode(kMonochrome);
  printer.SetDuplex(kSimplex);

  ListingLayout layout;
  layout.columns = 2;
  layout.statementsOnly = true;
  layout.rowHeight = printer.TextHeight(kSpace);
  layout.rowsPerPage = RowsThatFit(printer, layout.rowHeight);
  // The right column starts where half the spaces that fit across the page
  // end; a left entry keeps at least one space clear of it, and a right one
  // stays within the page (both columns wrap alike).
  const double space = printer.TextWidth(kSpace);
  const double halfSpaces = space > 0 ? std::floor(printer.ScaleWidth() / space / 2) : 0;
  layout.columnX[1] = halfSpaces * space;
  layout.entryWidth = std::max(
      0.0, std::min(layout.columnX[1] - space, printer.ScaleWidth() - layout.columnX[1]));
  layout.indent = Indent(space, layout.entryWidth);
  return layout;
}

QList<EntryRow> WrapEntry(const QString& entry, double width, double indent,
                          const Printer& printer) {
  QString rest = entry;
  ChopTrailingSpaces(rest);
  if (printer.TextWidth(rest) <= width + kSlack) return {EntryRow{0, rest}};
  QList<EntryRow> rows;
  double offset = 0;
  while (!rest.isEmpty()) {
    const qsizetype length = RowLength(rest, width - offset, printer);
    QString row = rest.left(length);
    ChopTrailingSpaces(row);
    rows.append(EntryRow{offset, row});
    qsizetype next = length;
    while (next < rest.size() && rest[next] == u' ') ++next;
    rest.remove(0, next);
    offset = indent;
  }
  return rows;
}

ListingPages::ListingPages(TextStore text, const ListingLayout& layout)
    : text_(std::move(text)), layout_(layout) {
  // The empty remainder behind a final line feed is not a line.
  const int32_t count = text_.lineCount();
  lineCount_ = text_.lineStart(count - 1) == text_.size() ? count - 1 : count;
}

bool ListingPages::HasMoreLines() const { return nextLine_ < lineCount_; }

bool ListingPages::AtEnd() const {
  return pages_ > 0 && pendingAt_ == pending_.size() && !HasMoreLines();
}

void ListingPages::TakeLine(const Printer& printer) {
  const int32_t start = text_.lineStart(nextLine_);
  QString line = text_.mid(start, text_.lineEnd(nextLine_) - start);
  ++nextLine_;
  // The line end is where the row ends (only LF breaks a line, so a CR LF
  // pair can stand only there).
  if (line.endsWith(u'\n')) {
    line.chop(1);
    if (line.endsWith(u'\r')) line.chop(1);
  }
  if (layout_.statementsOnly) line.remove(u';');
  pending_ = WrapEntry(line, layout_.entryWidth, layout_.indent, printer);
  pendingAt_ = 0;
}

bool ListingPages::PrintNextPage(Printer& printer) {
  if (pages_ > 0 && !printer.NewPage()) return false;
  int column = 0;
  int row = 0;
  while (column < layout_.columns) {
    if (pendingAt_ == pending_.size()) {
      if (!HasMoreLines()) break;
      TakeLine(printer);
      // A line that fits in a column is not split across two.
      const qsizetype rows = pending_.size();
      if (row > 0 && rows > layout_.rowsPerPage - row && rows <= layout_.rowsPerPage) {
        row = 0;
        ++column;
        continue;
      }
    }
    const EntryRow& entry = pending_[pendingAt_++];
    if (!entry.text.isEmpty() &&
        !printer.PrintAt(layout_.columnX[column] + entry.offset, row * layout_.rowHeight, entry.text))
      return false;
    if (++row == layout_.rowsPerPage) {
      row = 0;
      ++column;
    }
  }
  ++pages_;
  return true;
}
