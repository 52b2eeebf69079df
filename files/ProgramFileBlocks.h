#pragma once
// Reading a program file into a document store block by block. After a CR LF
// pair of the file every piece of the reader's state is back where it
// started: the pair becomes ";", which clears the normaliser's digit flag and
// stands between any CR and LF that the normaliser would pair; and 0x0A is
// never the second byte of a CP932 character, so decoding starts afresh after
// it. Blocks that end right after a CR LF pair are therefore read on their
// own, on several threads, and their texts joined.

#include <QString>
#include <cstdint>
#include <memory>

#include "platform/Cp932.h"

#include "platform/TextStore.h"

// Reads blocks of a program file into a builder; one per thread.
class ProgramBlockReader {
 public:
  ProgramBlockReader();
  ~ProgramBlockReader();
  // Appends to `out` the canonical text of `bytes`, a block of a program file
  // that starts at the file's start or right after a CR LF pair: decoded,
  // each CR LF pair turned into ";", normalised.
  void append(const char* bytes, qsizetype count, TextStore::Builder& out);

 private:
  Cp932Decoder decoder_;
  std::unique_ptr<char16_t[]> units_;  // decoded non-ASCII stretches
  qsizetype capacity_ = 0;
};

// ReadProgramFile into a store with the block size and the longest text
// accepted (the store's limit in production) as parameters, for tests.
bool ReadProgramFileInBlocks(const QString& path, TextStore& text, qsizetype blockBytes,
                             int64_t maxChars);
