#pragma once
// Replacing a file's content so that it stays the same file: its other names
// (hard links), owner, group, permissions and extended attributes, and the
// folder it lives in, see the new content and nothing else changes. Either
// the whole new content is on disk when success is reported, or the old
// content is.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

// Takes the blocks of a file's new content in order; false when a block could
// not be written.
using ByteSink = std::function<bool(QByteArrayView block)>;
// Hands the whole new content, block by block, to the sink it is given;
// false to give up.
using ByteProducer = std::function<bool(const ByteSink& sink)>;

// Replaces the content of the regular file `file` (a path that is not a
// symbolic link) with the bytes `produce` gives, or creates the file when it
// does not exist.
//
// Where a new file put in its place would be the same file to everyone (one
// link, owner and group that can be kept, no extended attributes, a folder
// that takes a new file), the bytes go to a temporary file beside it, which
// is synced and renamed over it. Otherwise the existing file is written in
// place, with its old content read first and written back if any step fails.
// False when the content could not be replaced; the file then holds its old
// content. A folder, a device or a pipe is never written. The content comes
// in blocks: on the rename path the blocks go straight into the temporary
// file; an in-place write gathers them first, so that the new content is
// complete before the file is touched.
bool ReplaceFileContent(const QString& file, const ByteProducer& produce);
