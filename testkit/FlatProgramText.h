#pragma once
// The line lookup over a program's text as one string, kept as the reference
// for the lookup the program really uses: the document store's, through its
// line index (document/StoreProgramText.h). Tests, fuzz targets and benchmarks
// check and measure the store's lookup against this one.

#include <QString>
#include <cstdint>

#include "text/ProgramText.h"

// The N-th line (counted from 1) of Text. Only the line feed separates lines.
LineInfo GetProgramLine(int32_t N, const QString& Text);
