#include "edit/EditHistory.h"

void EditHistory::RecordBefore(const TextStore& text, int32_t caret) {
  undoText_ = text;
  undoStartPos_ = caret;
}

void EditHistory::RecordAfter(const TextStore& text, int32_t caret) {
  redoText_ = text;
  redoStartPos_ = caret;
  redoUndoFlag_ = 0;
  editingStartedFlag_ = 1;
}

TextAndCaret EditHistory::Undo() {
  redoUndoFlag_ = 1;
  return {undoText_, undoStartPos_};
}

TextAndCaret EditHistory::Redo(const TextStore& leaving, int32_t caret) {
  RecordBefore(leaving, caret);
  redoUndoFlag_ = 0;
  return {redoText_, redoStartPos_};
}
