#pragma once
// What a line lookup finds, and bringing statements into canonical form: the
// stateless part of a program's text. (The line lookup itself goes through the
// document store's line index: document/StoreProgramText.h.)

#include <QString>
#include <cstdint>

// Result of GetProgramLine. Positions are 1-based, as the text routines count;
// the editor control counts from 0.
struct LineInfo {
  QString Text;          // the line, its CR LF included; "" unless Status is 0
  int32_t StartPos = 0;  // first character of the line
  int32_t EndPos = 0;    // the line's line feed, or the last character of the text
  int16_t Status = 0;    // 0 found, 1 no such line, 2 N < 1 or empty text,
                         // 3 the empty remainder behind a final line feed
};

// The canonical form of program text: no spaces except one between a number and
// a following address letter or comma, upper case, every ";" as " ;" CR LF.
QString NormalizeProgramText(const QString& Text);
