#pragma once
// The two-column listing: the program's lines run down the left column of a
// page, then down the right one, then on to the next page. Every page has
// exactly `linesPerPage` rows, so a printer that starts a new page when a
// row no longer fits puts each page of the listing on its own sheet.

#include <QString>
#include <QStringList>

class TextStore;

// The lines of `text` in order, each as the line lookup returns it for line
// numbers 1, 2, 3, ... while it finds one (its line feed and the carriage
// return before it included), through the text's line index.
QStringList ProgramLines(const TextStore& text);

// The listing of `lines` (as ProgramLines yields them) with rows joined by
// CR LF and no line end after the last row. Each line is printed without
// its CR LF pairs and its ";"; a left-column entry is filled with spaces up to
// `columnWidth` characters (a longer one is left as it is), and its right
// partner follows it directly. A page that would hold no line is left out,
// except for the one page of an empty program.
QString TwoColumnListing(const QStringList& lines, int linesPerPage, int columnWidth);
