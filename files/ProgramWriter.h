#pragma once
// Writing a program file: the editor's text in upper case, without spaces and
// without the statements' ";", encoded in CP932 and written as it comes out,
// with nothing added before or after it.

#include <cstdint>

#include "files/FileReplace.h"

enum class WriteStatus {
  kWritten,      // the file now holds the program
  kUnencodable,  // a character has no CP932 form; nothing was written
  kFailed,       // the file could not be written; the old file is intact
  kCancelled,    // the progress said stop; the old file is intact
};

struct WriteResult {
  WriteStatus status = WriteStatus::kFailed;
  // For kUnencodable: the editor line (from 1) holding the first such character.
  int32_t badLine = 0;
};

// Replaces the content of the file at `path` with the bytes that `produce`
// hands over block by block (see ByteProducer), all or nothing, and keeps it
// the same file: its other names, owner, group and permissions stay, and a
// symbolic link keeps pointing at the file it names, which is the one
// written. The content is on disk before true is returned; on false the file
// holds its old content (see ReplaceFileContent, also for `progress`).
bool WriteFileBlocks(const QString& path, const ByteProducer& produce,
                     ProgressStages* progress = nullptr);

class TextStore;
// Writes the editor text `editorText` as a program file to `path`, streamed:
// the transformation and the encoding run chunk by chunk into the file,
// without the whole file text or its bytes ever standing in memory. The text
// is checked for characters CP932 cannot write before anything is written.
// `progress`, if given, is told how far the check and the write have got
// after each stretch of text and while the file is synced; when it says stop
// the write ends with kCancelled and the file as it was.
WriteResult WriteProgramFile(const QString& path, const TextStore& editorText,
                             const WriteProgress& progress = {});
