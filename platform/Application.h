#pragma once
// Start-up settings of the application shared by the program and its tests:
// the font substitution for "ＭＳ ゴシック" and Qt's Japanese translation.

class QApplication;

void InitApplication(QApplication& app);

// The family the program asks for by name in its layouts.
inline constexpr const char16_t* kProgramFontFamily = u"ＭＳ ゴシック";
