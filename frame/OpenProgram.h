#pragma once
// Opening one program file into a new editor window: what File ▸ Open does
// once its dialog has given the path. Files that come from outside the File
// menu (the command line, another start, a drop) are opened the same way.

class Form1;
class MDIForm1;
class QString;

// Reads the program at `path` and shows it in a new editor window, captioned
// with the path and arranged with the others. A file that cannot be read (a
// folder, a pipe, a device, missing, no access) gets the report
// "上記のファイルを開けませんでした。" under its path and no window. Runs
// inside a file command: the caller has disabled the frame's controls and
// locked drawing.
void OpenProgramFile(MDIForm1& frame, const QString& path);

// The two halves of OpenProgramFile for files opened together: the window
// for `path`, made, filled, shown and counted but not yet arranged (nullptr,
// and no window, when the file cannot be read) ...
Form1* LoadProgramWindow(MDIForm1& frame, const QString& path);
// ... and the report for a file that could not be read.
void ReportUnreadableFile(MDIForm1& frame, const QString& path);
