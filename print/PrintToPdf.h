#pragma once
// Listings written to a PDF file from the command line, without a frame:
//   kesto --print FILE --to OUT.pdf
//   kesto --print-two-column FILE --to OUT.pdf
// The program is read as File ▸ Open reads it and laid out exactly as File ▸
// Print and File ▸ Two-column print lay it out, with the fonts embedded.

#include <QString>

// Writes the listing of the program file at `programPath` to `pdfPath`.
// Returns the process's exit code: 0 when written; otherwise 1, after a
// one-line message on stderr, with nothing written (an existing file at
// `pdfPath` is replaced only by a complete listing).
int PrintToPdf(const QString& programPath, const QString& pdfPath, bool twoColumn);
