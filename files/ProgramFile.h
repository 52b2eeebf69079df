#pragma once
// Reading a program file into the text an editor window shows.

#include <QString>
#include <cstdint>
#include <functional>

class TextStore;

// The caption of a program made by File ▸ New, which has no file yet.
inline const QString kNewProgramCaption = QStringLiteral("新規");

// The file dialogs' filter for program files: main (.m) and back (.s) programs.
inline const QString kProgramFileFilter = QStringLiteral("ﾒｲﾝ(*.m),ﾊﾞｯｸ(*.s)|*.m;*.s");

// Reads the whole file at `path` (CP932), turns every CR LF into ";" and
// brings the result into canonical form, without the whole text ever standing
// in one string: the file is read, decoded and normalised in blocks, on up
// to eight threads (as many as the machine has cores). `path` names the
// file's bytes as EncodeLocalPath gives them. Only a regular file is read:
// a pipe, a socket, a device or a folder is refused at once, without waiting
// or reading. False, with `text` untouched, when the file cannot be opened or
// read (missing, not a regular file, no access, I/O error) or when the
// canonical text would be longer than a store can hold (TextStore::kMaxSize).
//
// `progress`, when given, is called after each block read with the bytes
// read so far and the file's size; once it returns false the reading stops
// (its worker threads have ended when the call returns) and the result is
// false, with `text` untouched.
using ReadProgress = std::function<bool(int64_t done, int64_t total)>;
bool ReadProgramFile(const QString& path, TextStore& text, const ReadProgress& progress = {});
