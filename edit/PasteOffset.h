#pragma once
// Where paste inserts, from the lookup of the caret's line: in front of that
// line, never inside it.

#include <cstdint>

struct LineInfo;

// The 0-based insertion offset: the first character of a found line, 0 in an
// empty text, the end of the text on the empty line behind a final line
// break, and also the end when the line was not found.
int32_t PasteInsertionOffset(const LineInfo& line, int32_t textLength);
