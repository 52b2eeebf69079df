#pragma once
// The key codes the program text control reports at key-down: the Windows
// virtual-key codes the editor's key handler was written against.

#include <cstdint>

namespace VirtualKey {
constexpr int16_t kBack = 8;
constexpr int16_t kTab = 9;
constexpr int16_t kClear = 12;
constexpr int16_t kReturn = 13;
constexpr int16_t kShift = 16;
constexpr int16_t kControl = 17;
constexpr int16_t kMenu = 18;  // Alt
constexpr int16_t kPause = 19;
constexpr int16_t kCapital = 20;  // Caps Lock
constexpr int16_t kEscape = 27;
constexpr int16_t kSpace = 32;
constexpr int16_t kPrior = 33;  // Page Up
constexpr int16_t kNext = 34;   // Page Down
constexpr int16_t kEnd = 35;
constexpr int16_t kHome = 36;
constexpr int16_t kLeft = 37;
constexpr int16_t kUp = 38;
constexpr int16_t kRight = 39;
constexpr int16_t kDown = 40;
constexpr int16_t kSnapshot = 44;  // Print Screen
constexpr int16_t kInsert = 45;
constexpr int16_t kDelete = 46;
constexpr int16_t k0 = 48;  // digits 48-57
constexpr int16_t kA = 65;  // letters 65-90
constexpr int16_t kZ = 90;
constexpr int16_t kApps = 93;  // the context-menu key
constexpr int16_t kNumpad0 = 96;  // keypad digits 96-105
constexpr int16_t kMultiply = 106;
constexpr int16_t kAdd = 107;
constexpr int16_t kSubtract = 109;
constexpr int16_t kDecimal = 110;
constexpr int16_t kDivide = 111;
constexpr int16_t kF1 = 112;  // F1-F24: 112-135
constexpr int16_t kNumLock = 144;
constexpr int16_t kScroll = 145;
constexpr int16_t kProcessKey = 229;  // a key the input method took
constexpr int16_t kOther = 255;       // a key with no code of its own
}  // namespace VirtualKey

// The modifier state reported with a key or a mouse button.
namespace ShiftMask {
constexpr int16_t kShift = 1;
constexpr int16_t kCtrl = 2;
constexpr int16_t kAlt = 4;
}  // namespace ShiftMask
