#pragma once
// The keys and fields of the two tool bars as they are laid out: names,
// captions, and positions and sizes in twips relative to their bar.

#include <array>
#include <string_view>

namespace ToolbarLayout {

enum class Face {
  kKey,      // "ＭＳ ゴシック" 12 pt
  kWideKey,  // "ＭＳ ゴシック" 9 pt: BkSp and ENTER
  kDefault,  // the application's default font
};

struct Key {
  int number;  // the key is named "Command<number>"
  std::string_view caption;
  int left, top, width, height;
  Face face = Face::kKey;
};

struct Field {
  std::string_view name;
  int left, top, width, height;
  bool tinted;  // background RGB(192, 192, 255)
};

constexpr int kBarHeight = 1770;
constexpr int kKeySize = 375;

// --- Toolbar1, the soft keyboard: four rows of twelve, BkSp and ENTER, and
// the line probe. Keys are numbered row by row, left to right, from 1.
constexpr std::array<int, 12> kColumnLefts = {120,  510,  900,  1290, 1680, 2070,
                                              2640, 3030, 3420, 3810, 4200, 4590};
constexpr std::array<int, 4> kRowTops = {120, 495, 870, 1245};
constexpr std::array<std::array<std::string_view, 12>, 4> kRowCaptions = {{
    {"P", "N", "G", "7", "8", "9", "O", "Q", "R", "A", "B", "D"},
    {"X", "Z", "F", "4", "5", "6", "C", "Y", "L", "[", "]", "("},
    {"M", "S", "T", "1", "2", "3", "I", "K", "J", ",", "#", "="},
    {"U", "W", "/", "-", "0", ".", "H", "V", "E", "+", "*", ")"},
}};
constexpr std::array<Key, 3> kSoftKeyboardExtras = {{
    {49, "BkSp", 5160, 120, 735, 375, Face::kWideKey},
    {50, "ENTER", 5160, 495, 735, 375, Face::kWideKey},
    {51, "Command51", 6840, 240, 855, 735, Face::kDefault},
}};
constexpr int kLineProbeKey = 51;

// --- Toolbar2, the angle calculator: keypad, operators, function keys and
// four fields.
constexpr std::array<Key, 24> kCalculatorKeys = {{
    {61, "7", 120, 75, 375, 375},      {62, "8", 510, 75, 375, 375},
    {63, "9", 900, 75, 375, 375},      {58, "4", 120, 450, 375, 375},
    {59, "5", 510, 450, 375, 375},     {60, "6", 900, 450, 375, 375},
    {55, "1", 120, 825, 375, 375},     {56, "2", 510, 825, 375, 375},
    {57, "3", 900, 825, 375, 375},     {52, "0", 120, 1200, 375, 375},
    {53, ".", 510, 1200, 375, 375},    {54, "+-", 900, 1200, 375, 375},
    {64, "/", 1290, 75, 375, 375},     {65, "*", 1290, 450, 375, 375},
    {66, "-", 1290, 825, 375, 375},    {67, "+", 1290, 1200, 375, 375},
    {68, "sin", 1680, 75, 750, 375},   {69, "cos", 1680, 450, 750, 375},
    {70, "tan", 1680, 825, 750, 375},  {71, "C", 1680, 1200, 750, 375},
    {72, "sin-1", 2430, 75, 750, 375}, {73, "cos-1", 2430, 450, 750, 375},
    {74, "tan-1", 2430, 825, 750, 375}, {75, "=", 2430, 1200, 750, 375},
}};
constexpr std::array<Field, 4> kCalculatorFields = {{
    {"Text1", 3840, 75, 3015, 375, false},
    {"Text2", 3840, 450, 3015, 375, false},
    {"Text3", 3840, 825, 3015, 375, false},
    {"Text4", 3840, 1200, 3015, 375, true},
}};

}  // namespace ToolbarLayout
