#pragma once
// Start-up settings of the application shared by the program and its tests:
// the font substitution for "ＭＳ ゴシック", Qt's Japanese translation, the
// program's icon and the accessible interface of the text control.

class QApplication;
class QIcon;

void InitApplication(QApplication& app);

// The program's icon at 16, 32 and 48 pixels, for the frame and the editor
// windows.
QIcon ProgramIcon();
