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

#include "document/StatementNormalizer.h"
#include "files/Cp932.h"
#include "files/ProgramFile.h"

#include "document/TextStore.h"

// Reads blocks of a program file into a builder; one per thread.
class ProgramBlockReader {
 public:
  ProgramBlockReader();
  ~ProgramBlockReader();
  // Appends to `out` the canonical text of `bytes`, a block of a program file
  // that starts at the file's start or right after a CR LF pair: decoded,
  // each CR LF pair turned into ";", normalised.
  void append(const char* bytes, qsizetype count, TextStore::Builder& out);

  // The same for a block given in pieces (a stretch of the file too long to
  // wait for its next CR LF pair): start, feed pieces that each end where
  // PieceEnd allows, finish.
  void start(TextStore::Builder& out);
  void feed(const char* bytes, qsizetype count);
  void finish();

 private:
  std::unique_ptr<StatementNormalizer> normalizer_;  // between start and finish
  Cp932Decoder decoder_;
  std::unique_ptr<char16_t[]> units_;  // decoded non-ASCII stretches
  qsizetype capacity_ = 0;
};

// The length of the longest start of `bytes` that a piece fed to a
// ProgramBlockReader may end with: up to an ASCII byte other than CR that
// follows an ASCII byte. Such a byte is a whole character (a CP932 second
// byte follows a byte from 0x81 on) and cannot be the CR of a pair. 0 when
// there is none.
qsizetype PieceEnd(const char* bytes, qsizetype count);

// Opens the file at `path` (bytes as EncodeLocalPath gives them) for reading
// if it is a regular file, without ever waiting: a FIFO, a socket, a device
// or a folder is refused before anything is read. The descriptor, blocking
// again, or -1.
int OpenRegularFile(const QString& path);

// ReadProgramFile into a store with the block size and the longest text
// accepted (the store's limit in production) as parameters, for tests.
bool ReadProgramFileInBlocks(const QString& path, TextStore& text, qsizetype blockBytes,
                             int64_t maxChars, const ReadProgress& progress = {});
