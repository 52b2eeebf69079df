#pragma once
// Finding a program's line by number in a document store, through the store's
// line index rather than by counting line feeds from the start.

#include <cstdint>

#include "document/TextStore.h"
#include "text/ProgramText.h"

// The N-th line (counted from 1) of Text; only the line feed separates lines.
// Positions are 1-based (see LineInfo). O(log n) plus the line's length.
LineInfo GetProgramLine(int32_t N, const TextStore& Text);
