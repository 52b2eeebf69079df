#include "print/Listing.h"

#include <algorithm>
#include <cmath>

#include "control/ProgramFont.h"
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

qsizetype CharacterLength(QStringView s, qsizetype at) {
  return s[at].isHighSurrogate() && at + 1 < s.size() && s[at + 1].isLowSurrogate() ? 2 : 1;
}

QStringView WithoutTrailingSpaces(QStringView s) {
  while (!s.isEmpty() && s.back() == u' ') s.chop(1);
  return s;
}

// How many units of `s` begin its row within `width`: up to the last space
// that still fits, or as many characters as fit, at least one.
qsizetype RowLength(QStringView s, double width, const Printer& printer) {
  double used = 0;
  qsizetype fit = 0;
  qsizetype afterSpace = 0;
  while (fit < s.size()) {
    const qsizetype n = CharacterLength(s, fit);
    const double w = printer.TextWidth(s.mid(fit, n).toString());
    if (fit > 0 && used + w > width + kSlack) break;
    used += w;
    fit += n;
    if (s[fit - 1] == u' ') afterSpace = fit;
  }
  qsizetype length = fit == s.size() || s[fit] == u' ' || afterSpace == 0 ? fit : afterSpace;
  // Widths of single characters need not add up to the width of the row.
  const auto tooWide = [&](qsizetype n) {
    return printer.TextWidth(WithoutTrailingSpaces(s.left(n)).toString()) > width + kSlack;
  };
  while (length > 1 && tooWide(length))
    length -= s[length - 1].isLowSurrogate() && s[length - 2].isHighSurrogate() ? 2 : 1;
  return std::max<qsizetype>(length, 1);
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
                          const Printer& printer, bool continued) {
  QStringView rest = WithoutTrailingSpaces(entry);
  double offset = continued ? indent : 0;
  if (printer.TextWidth(rest.toString()) <= width - offset + kSlack)
    return {EntryRow{offset, rest.toString()}};
  QList<EntryRow> rows;
  while (!rest.isEmpty()) {
    qsizetype next = RowLength(rest, width - offset, printer);
    rows.append(EntryRow{offset, WithoutTrailingSpaces(rest.left(next)).toString()});
    while (next < rest.size() && rest[next] == u' ') ++next;
    rest = rest.mid(next);
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

bool ListingPages::HasMoreLines() const {
  return lineFrom_ < lineTo_ || nextLine_ < lineCount_;
}

bool ListingPages::AtEnd() const {
  return pages_ > 0 && pendingAt_ == pending_.size() && !HasMoreLines();
}

void ListingPages::TakeLine(const Printer& printer) {
  const bool continued = lineFrom_ < lineTo_;
  if (!continued) {
    lineFrom_ = text_.lineStart(nextLine_);
    lineTo_ = text_.lineEnd(nextLine_);
    ++nextLine_;
    // The line end is where the row ends (only LF breaks a line, so a CR LF
    // pair can stand only there).
    if (lineTo_ > lineFrom_ && text_.at(lineTo_ - 1) == u'\n') {
      --lineTo_;
      if (lineTo_ > lineFrom_ && text_.at(lineTo_ - 1) == u'\r') --lineTo_;
    }
  }
  const int32_t length = std::min(lineTo_ - lineFrom_, std::max(layout_.pieceLength, 2));
  QString piece = text_.mid(lineFrom_, length);
  if (lineFrom_ + length < lineTo_) {
    // More of the line follows: the piece ends between words where it can.
    const qsizetype space = piece.lastIndexOf(u' ');
    if (space > 0) piece.truncate(space + 1);
    else if (piece.back().isHighSurrogate()) piece.chop(1);
  }
  lineFrom_ += static_cast<int32_t>(piece.size());
  if (layout_.statementsOnly) piece.remove(u';');
  pending_ = WrapEntry(piece, layout_.entryWidth, layout_.indent, printer, continued);
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
