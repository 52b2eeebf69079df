#pragma once
// The streaming statement normaliser (document/StatementNormalizer.h) run over
// a whole document store, piece by piece. The program feeds the normaliser from
// the file reader; tests and fuzz targets use this to hold its output, on any
// text cut into a store's chunks, against the whole-string NormalizeProgramText.

#include <optional>

#include "document/TextStore.h"

// The canonical form of Text, as NormalizeProgramText gives it; nothing when
// that form would be longer than a store can hold (it can be up to four
// times as long as Text).
std::optional<TextStore> NormalizeProgramText(const TextStore& Text);
