#pragma once
// The statement normaliser as a stream: text goes in piece by piece and its
// canonical form comes out into a TextStore builder, without the whole text
// ever standing in one string. The result is that of NormalizeProgramText on
// the pieces joined.
//
// For the file reader it also takes ASCII file bytes directly, turning each
// CR LF into the ";" that ends its line's statement on the way: one pass from
// bytes to canonical one-byte chunks.

#include <QLatin1StringView>
#include <QStringView>
#include <cstdint>

#include "document/TextStore.h"

class StatementNormalizer {
 public:
  explicit StatementNormalizer(TextStore::Builder& out) : out_(out) {}
  StatementNormalizer(const StatementNormalizer&) = delete;
  StatementNormalizer& operator=(const StatementNormalizer&) = delete;

  void feed(QStringView text);
  void feed(QLatin1StringView text);
  // File bytes up to the first one from 0x80 on, which is where it stops;
  // returns how many it took. Each CR LF pair among them is a ";". A CR
  // before the stop is a bare one: a CR LF pair is handed over whole.
  qsizetype feedFileAscii(const char* bytes, qsizetype count);
  // Puts out what is held back for what might follow (carriage returns, the
  // first half of a surrogate pair); the text ends here.
  void finish();

 private:
  template <bool kFileBytes>
  qsizetype feedAscii(const char* bytes, qsizetype count);
  void feedUnit(char16_t c);
  void put(char16_t c);
  void releaseReturns();
  char* releaseReturnsAt(char* narrowOut, int64_t held);
  void flushNarrow();
  void flushWide();

  TextStore::Builder& out_;
  bool digitSeen_ = false;     // a digit since the last inserted space or ";"
  int64_t heldReturns_ = 0;    // CRs that a following LF would remove with it
  char16_t heldHigh_ = 0;      // a high surrogate waiting for its low half

  // Output is gathered here before it goes to the builder.
  static constexpr int kStage = 16384;
  char narrow_[kStage];
  int narrowUsed_ = 0;
  char16_t wide_[kStage];
  int wideUsed_ = 0;
};
