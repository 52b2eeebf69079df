#pragma once
// File names as the file system holds them. A Linux path is a string of
// bytes, not of characters: media written on the machine side often carry
// CP932 names, which are not UTF-8. Qt's own conversion turns every such byte
// into U+FFFD and the file can no longer be named. These two conversions lose
// nothing: valid UTF-8 becomes the characters it spells, and every byte that
// is not part of valid UTF-8 becomes the lone surrogate U+DC00 + byte, as the
// program codec keeps the bytes it cannot read. The text shows the name
// readably (a caption, a report) and still names the file.

#include <QByteArray>
#include <QString>

// The text of the path bytes `bytes`. EncodeLocalPath(DecodeLocalPath(b)) == b
// for every b.
QString DecodeLocalPath(const QByteArray& bytes);

// The bytes of the path `path`: UTF-8, with each lone surrogate U+DC80..U+DCFF
// written back as the byte it stands for.
QByteArray EncodeLocalPath(const QString& path);

// `path` as a user reads it: each kept byte shown as U+FFFD. For captions and
// reports, never for naming a file.
QString DisplayLocalPath(const QString& path);

// The path on disk that `shown` names, where `shown` may carry names in the
// lossy form Qt decodes them to (QFile::decodeName: each byte that is not
// UTF-8 becomes U+FFFD), as a native file dialog returns them. Each component
// that holds U+FFFD and does not exist as it stands is looked up among the
// entries of its resolved parent folder, one listing of it: the one entry
// whose lossy form equals the component takes its place with its own bytes.
// A component that matches no entry or several stays as given (a new name
// to save under, a file that is gone). A path that exists is returned as it
// is, without listing any folder.
QString ResolveShownPath(const QString& shown);
