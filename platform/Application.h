#pragma once
// Start-up settings of the application shared by the program and its tests:
// the font substitution for "ＭＳ ゴシック", Qt's Japanese translation, the
// program's icon and the accessible interface of the text control.

class QApplication;
class QFont;
class QIcon;

void InitApplication(QApplication& app);

// The program's icon at 16, 32 and 48 pixels, for the frame and the editor
// windows.
QIcon ProgramIcon();

// The family the program asks for by name in its layouts.
inline constexpr const char16_t* kProgramFontFamily = u"ＭＳ ゴシック";

// That family at `points`, regular weight.
QFont ProgramFont(int points);
