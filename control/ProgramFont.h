#pragma once
// The font the program asks for by name in its layouts: the text control,
// the tool bars' keys and the printed listings. At start-up the application
// substitutes a font of this desktop for it.

class QFont;

// The family the program asks for by name.
inline constexpr const char16_t* kProgramFontFamily = u"ＭＳ ゴシック";

// That family at `points`, regular weight.
QFont ProgramFont(int points);
