#pragma once
// Writing a program file: the editor's text in upper case, without spaces and
// without the statements' ";", encoded in CP932 and written as it comes out,
// with nothing added before or after it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <functional>

#include "files/FileReplace.h"
#include "files/Cp932.h"

// The file form of an editor text: upper case, every space (code 32) and
// every ";" removed. Line ends and all other characters stay where they are.
QString ProgramFileText(const QString& editorText);

// The CP932 bytes of ProgramFileText(editorText); badOffset, when set, is an
// index into that file text.
Cp932Encoded EncodeProgramFile(const QString& editorText);

enum class WriteStatus {
  kWritten,      // the file now holds the program
  kUnencodable,  // a character has no CP932 form; nothing was written
  kFailed,       // the file could not be written; the old file is intact
};

struct WriteResult {
  WriteStatus status = WriteStatus::kFailed;
  // For kUnencodable: the editor line (from 1) holding the first such character.
  int32_t badLine = 0;
};

// Replaces the content of the file at `path` with `bytes`, all or nothing, and
// keeps it the same file: its other names, owner, group and permissions stay,
// and a symbolic link keeps pointing at the file it names, which is the one
// written. The content is on disk before true is returned; on false the file
// holds its old content (see ReplaceFileContent).
bool WriteFileBytes(const QString& path, const QByteArray& bytes);

// The same for bytes that come in blocks (see ByteProducer): all or nothing,
// as above.
bool WriteFileBlocks(const QString& path, const ByteProducer& produce);

// Writes the editor text `editorText` as a program file to `path`.
WriteResult WriteProgramFile(const QString& path, const QString& editorText);

class TextStore;
// The same for a document store, streamed: the transformation and the
// encoding run chunk by chunk into the file, without the whole file text or
// its bytes ever standing in memory. The text is checked for characters CP932
// cannot write before anything is written.
WriteResult WriteProgramFile(const QString& path, const TextStore& editorText);
