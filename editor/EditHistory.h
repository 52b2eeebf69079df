#pragma once
// The one level of undo of an editor window: the whole text from before its
// latest change and from after it, each with its caret, and which of the two
// the window offers to restore. The members keep the names the frame's
// commands use; copying the record copies the whole history, which is how
// move-left carries it into the window it re-creates.

#include <cstdint>

#include "platform/TextStore.h"

struct EditHistory {
  TextStore UndoText;              // whole text before the latest change
  int32_t UndoStartPos = 0;        // caret that goes with UndoText
  TextStore RedoText;              // whole text after the latest change
  int32_t RedoStartPos = 0;        // caret that goes with RedoText
  int16_t RedoUndoFlag = 0;        // 0 undo offered, 1 redo offered
  int16_t EditingStartedFlag = 0;  // 1 once the text was changed
};
