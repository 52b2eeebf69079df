#pragma once
// The one level of undo of an editor window: the whole text from before its
// latest change and from after it, each with its caret, and which of the two
// the window offers to restore. The texts share the document store's chunks
// with the control, so a record costs no copy. The window owns its history
// and is the only one to change it; others read it.

#include <cstdint>

#include "document/TextStore.h"

// A whole text with the caret that goes with it.
struct TextAndCaret {
  TextStore text;
  int32_t caret = 0;
};

class EditHistory {
 public:
  // `text` with `caret` is what undo returns to.
  void RecordBefore(const TextStore& text, int32_t caret);
  // A change is complete: `text` with `caret` is what redo returns to, and
  // undo is offered from now on.
  void RecordAfter(const TextStore& text, int32_t caret);
  // The before-text to put back; redo is offered next.
  TextAndCaret Undo();
  // The after-text to put back; the text being left, with its caret, is what
  // the next undo returns to, and undo is offered next.
  TextAndCaret Redo(const TextStore& leaving, int32_t caret);
  // Takes over another window's whole history.
  void CopyFrom(const EditHistory& other) { *this = other; }

  // Undo is offered once a change is complete and until it is undone; redo
  // after an undo until the next redo or change.
  bool CanUndo() const { return redoUndoFlag_ == 0 && editingStartedFlag_ != 0; }
  bool CanRedo() const { return redoUndoFlag_ == 1; }

  const TextStore& undoText() const { return undoText_; }
  const int32_t& undoStartPos() const { return undoStartPos_; }
  const TextStore& redoText() const { return redoText_; }
  const int32_t& redoStartPos() const { return redoStartPos_; }
  // 0: the window shows the after-text (undo offered); 1: the before-text.
  const int16_t& redoUndoFlag() const { return redoUndoFlag_; }
  // 1 once the window's text was changed.
  const int16_t& editingStartedFlag() const { return editingStartedFlag_; }

 private:
  TextStore undoText_;
  int32_t undoStartPos_ = 0;
  TextStore redoText_;
  int32_t redoStartPos_ = 0;
  int16_t redoUndoFlag_ = 0;
  int16_t editingStartedFlag_ = 0;
};
