#pragma once
// Writing a program file from an editor text that stands in one string, kept
// as the reference for the writer the program really uses: the document
// store's, which transforms and encodes chunk by chunk into the file
// (WriteProgramFile over a TextStore, files/ProgramWriter.h). Tests hold that
// writer against this one byte for byte, and check the file form, the CP932
// bytes and the file replacement on it; benchmarks measure the two side by
// side.

#include <QByteArray>
#include <QString>

#include "files/Cp932.h"
#include "files/ProgramWriter.h"
#include "testkit/FlatCp932.h"

// The file form of an editor text: upper case, every space (code 32) and
// every ";" removed. Line ends and all other characters stay where they are.
QString ProgramFileText(const QString& editorText);

// The CP932 bytes of ProgramFileText(editorText); badOffset, when set, is an
// index into that file text.
Cp932Encoded EncodeProgramFile(const QString& editorText);

// Replaces the content of the file at `path` with `bytes` in one block,
// through the program's own file replacement (WriteFileBlocks): all or
// nothing, and the file stays the same file. Tests also prepare files with it.
bool WriteFileBytes(const QString& path, const QByteArray& bytes);

// Writes the editor text `editorText` as a program file to `path`.
WriteResult WriteProgramFile(const QString& path, const QString& editorText);
