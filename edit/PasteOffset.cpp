#include "edit/PasteOffset.h"

#include "text/ProgramText.h"

int32_t PasteInsertionOffset(const LineInfo& line, int32_t textLength) {
  switch (line.Status) {
    case 0:
      return line.StartPos - 1;
    case 2:
      return 0;
    case 3:
      return line.StartPos;
    default:
      // The control's line numbering disagrees with the text's line feeds:
      // there is no line to go in front of, so append rather than guess.
      return textLength;
  }
}
