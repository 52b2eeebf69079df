#pragma once
// What must hold after every event of an editor session. Each check returns
// "" when it holds, else what broke.

#include <QString>
#include <cstdint>
#include <string>

class Form1;
class MDIForm1;
class QAction;

namespace editor_session {

// The frame's own rules: drawing unlocked, the window list and counters true
// to the open windows, the mode flags consistent, every selection inside its
// text, and every menu item and tool-bar control as its menu offers it.
std::string BrokenFrameRule(MDIForm1& frame);

// Undo gives back the undo snapshot; a redo right after an undo, on the same
// window, gives back the text after the change and its caret.
class UndoRedoCheck {
 public:
  // Before every event.
  void StartStep();
  // The Edit menu was opened and closed again without a command: no step.
  void NoStep();
  // Triggers `command`, an enabled Edit-menu item, on the active window.
  void Run(MDIForm1& frame, QAction* command);
  std::string Broken() const;

 private:
  bool undoDone_ = false;      // the step before this one was an undo
  bool undoJustDone_ = false;  // this step is an undo
  Form1* undoForm_ = nullptr;
  bool undoMismatch_ = false;
  bool redoMismatch_ = false;
};

}  // namespace editor_session
