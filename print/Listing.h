#pragma once
// The printed listings, laid out and printed one page at a time from a text
// store, so that no listing of a program ever stands whole in memory.
//
// The one-column listing prints each line of the program as it stands. The
// two-column listing prints its statements (without CR LF and ";") in
// "ＭＳ ゴシック" 14 pt down the left column of a page, then down the right
// one, then on to the next page; the right column starts at the same x on
// every row, half the spaces that fit across the page in. Every page has the
// same number of rows; neither listing has a header or line numbers.
//
// A line wider than its column is never cut or run into its neighbour: it
// continues on the rows below, indented by two spaces and broken between
// words where it can be, so that no word (an address and its value such as
// "F1500") is ever split unless it alone is wider than the column. A line
// that fits in one column is kept in one column, moving to the next column
// when it would otherwise be split across two.

#include <QList>
#include <QString>
#include <cstdint>

#include "document/TextStore.h"

class Printer;

// Where a listing puts its text on a page, in the printer's units.
struct ListingLayout {
  int rowsPerPage = 1;
  double rowHeight = 0;
  int columns = 1;                 // 1 or 2
  double columnX[2] = {0, 0};      // where each column's entries start
  double entryWidth = 0;           // the widest text a row of an entry may hold
  double indent = 0;               // how much further right continuation rows start
  bool statementsOnly = false;     // print lines without CR LF pairs and ";"
  // A line longer than this is read and laid out a piece at a time (broken
  // between words where it can), so that no line stands whole in memory.
  int32_t pieceLength = 1 << 16;
};

// Sets `printer` up for a listing and returns its layout: the one-column
// listing in the printer's current font, the two-column listing in
// "ＭＳ ゴシック" 14 pt, portrait, monochrome, one-sided.
ListingLayout OneColumnLayout(Printer& printer);
ListingLayout TwoColumnLayout(Printer& printer);

// One printed row of an entry: its text and how far right of the column it starts.
struct EntryRow {
  double offset = 0;
  QString text;
};

// The rows that print `entry` (trailing spaces dropped) within `width`:
// one row when it fits, otherwise continuation rows `indent` further right,
// broken after a space where one lies within the row, else between
// characters (never inside a surrogate pair). Every row holds at least one
// character, so a column narrower than a character still ends. The first
// row of a `continued` entry (the rest of a line) is indented too.
QList<EntryRow> WrapEntry(const QString& entry, double width, double indent, const Printer& printer,
                          bool continued = false);

// A listing of a text being printed, page by page.
class ListingPages {
 public:
  ListingPages(TextStore text, const ListingLayout& layout);

  // Whether every line has been printed (an empty text has one empty page).
  bool AtEnd() const;
  // Lays out the next page and prints it, after starting a new sheet for
  // every page but the first. False when the printer fails.
  bool PrintNextPage(Printer& printer);

  int PagesDone() const { return pages_; }
  // The program's lines, and how many of them have been printed.
  int32_t LineCount() const { return lineCount_; }
  int32_t LinesDone() const { return nextLine_; }

 private:
  bool HasMoreLines() const;
  // The next line (or the next piece of a long one) as the listing prints
  // it, wrapped into pending_.
  void TakeLine(const Printer& printer);

  TextStore text_;
  ListingLayout layout_;
  int32_t lineCount_ = 0;
  int32_t nextLine_ = 0;
  int32_t lineFrom_ = 0, lineTo_ = 0;  // what of the current line is still to be taken
  int pages_ = 0;
  QList<EntryRow> pending_;  // rows of the line being placed
  qsizetype pendingAt_ = 0;  // the first of them not yet printed
};
