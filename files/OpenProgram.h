#pragma once
// Opening one program file into a new editor window: what File ▸ Open does
// once its dialog has given the path. Files that come from outside the File
// menu (the command line, another start, a drop) are opened the same way.

class MDIForm1;
class QString;

// Reads the program at `path` and shows it in a new editor window, captioned
// with the path and arranged with the others. A file that cannot be read (a
// folder, missing, no access) gets the report "上記のファイルを開けませんでした。"
// under its path and no window. Runs inside a file command: the caller has
// disabled the frame's controls and locked drawing.
void OpenProgramFile(MDIForm1& frame, const QString& path);
