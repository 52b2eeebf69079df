#pragma once
// What the statement normaliser does with each ASCII character; shared by the
// whole-text normaliser and the streaming one, so that the two cannot drift
// apart.

#include <array>
#include <cstdint>

enum StatementClass : uint8_t {
  kOther,      // kept as it is, digit flag unchanged
  kDigit,      // kept, sets the digit flag
  kLetter,     // an address letter or the comma: a space before it after a number
  kLower,      // a lower-case letter: upper-cased, then as kLetter
  kStatement,  // ";": becomes " ;" CR LF
  kSpace,      // dropped
  kLineFeed,   // removes a carriage return before it, else kept
  kReturn,     // kept, digit flag unchanged; a line feed that follows may remove it
};

constexpr std::array<uint8_t, 128> MakeStatementClasses() {
  std::array<uint8_t, 128> classes{};
  for (int c = '0'; c <= '9'; ++c) classes[c] = kDigit;
  for (int c = 'A'; c <= 'Z'; ++c) classes[c] = kLetter;
  for (int c = 'a'; c <= 'z'; ++c) classes[c] = kLower;
  classes[','] = kLetter;
  classes[';'] = kStatement;
  classes[' '] = kSpace;
  classes['\n'] = kLineFeed;
  classes['\r'] = kReturn;
  return classes;
}
inline constexpr std::array<uint8_t, 128> kStatementClasses = MakeStatementClasses();
