#include "testkit/StoreNormalize.h"

#include "document/StatementNormalizer.h"

std::optional<TextStore> NormalizeProgramText(const TextStore& Text) {
  TextStore::Builder builder;
  StatementNormalizer normalizer(builder);
  Text.forEachPiece(0, Text.size(), [&normalizer](auto piece) { normalizer.feed(piece); });
  normalizer.finish();
  if (builder.overflowed()) return std::nullopt;
  return builder.finish();
}
