#pragma once
// Reading a program file into the text an editor window shows.

#include <QString>

// Reads the whole file at `path` (CP932), turns every CR LF into ";" and
// brings the result into canonical form. False, with `text` untouched, when
// the file cannot be opened or read (missing, a folder, no access, I/O error).
bool ReadProgramFile(const QString& path, QString& text);

// The canonical text of a program file's decoded content: each CR LF pair
// becomes the ";" that ends its line's statement, then the statement
// normaliser runs. A CR or LF outside such a pair stays.
QString ProgramTextFromFile(QString content);
