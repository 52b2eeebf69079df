#pragma once
// Program files handed to the frame from outside its File menu: named on the
// command line, handed over by a later start of the program, or dropped on
// the frame. The frame opens them with MDIForm1::OpenFromOutside.

#include <QString>
#include <QStringList>

// The command line's file names as absolute paths, relative ones taken from
// `workingFolder`: the folder of the start that named them, which is not the
// running frame's.
QStringList AbsolutePaths(const QStringList& names, const QString& workingFolder);
