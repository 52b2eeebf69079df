#pragma once
// Reading a program file's decoded content as one string, kept as the
// reference for the reader the program really uses (files/ProgramFileBlocks.h),
// which reads, decodes and normalises a file block by block into a document
// store. Tests, fuzz targets and benchmarks hold that reader against this one,
// and benchmarks build their canonical programs with it.

#include <QString>

// A program file's decoded content with each CR LF pair turned into the ";"
// that ends its line's statement. A CR or LF outside such a pair stays.
QString StatementsFromFileText(QString content);

// The canonical text of a program file's decoded content: its statements
// (above) brought into form by the whole-string NormalizeProgramText.
QString ProgramTextFromFile(QString content);
