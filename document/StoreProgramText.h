#pragma once
// The text routines over a document store. They give what the flat versions
// give over the same text as one string, without making that string: the line
// lookup goes through the store's line index, and the normaliser streams.

#include <cstdint>
#include <optional>

#include "document/TextStore.h"
#include "text/ProgramText.h"

// The N-th line (counted from 1) of Text; positions 1-based, as GetProgramLine
// over a string gives them. O(log n) plus the line's length.
LineInfo GetProgramLine(int32_t N, const TextStore& Text);

// The canonical form of Text, as NormalizeProgramText gives it; nothing when
// that form would be longer than a store can hold (it can be up to four
// times as long as Text).
std::optional<TextStore> NormalizeProgramText(const TextStore& Text);
