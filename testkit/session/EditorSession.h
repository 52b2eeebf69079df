#pragma once
// Plays a byte stream (EventStream.h) on a whole frame as a user would: keys
// and typed characters on the active editor's control, input-method text,
// mouse presses, moves and releases, the menus (each opened first, an item
// chosen only when it is then enabled), closing and activating windows, the
// line probe and the answers to questions and file dialogs. After every event
// it checks what must always hold (SessionChecks.h) and names the first thing
// broken.
//
// The editor fuzz target and the regression tests share it, so that an input
// the fuzzer keeps replays the same way in the test suite.

#include <cstddef>
#include <cstdint>
#include <string>

#include "testkit/session/ControlInput.h"
#include "testkit/session/EditorStage.h"
#include "testkit/session/EventStream.h"
#include "testkit/session/SessionChecks.h"
#include "testkit/session/SessionFiles.h"

namespace editor_session {

class EditorSession {
 public:
  // Brings the stage and the files back to their first state.
  EditorSession(EditorStage& stage, SessionFiles& files);

  // Plays the stream; "" when every check held, else what broke first.
  std::string Play(const uint8_t* data, size_t size);

  MDIForm1& frame() { return frame_; }

 private:
  // One event.
  void Step(ByteReader& stream);
  void FileMenu(uint8_t item, uint8_t choice);
  void EditMenu(uint8_t item);
  std::string Check();

  SessionFiles& files_;
  ScriptedServices& services_;
  MDIForm1& frame_;
  ControlInput input_;
  UndoRedoCheck undoRedo_;
};

}  // namespace editor_session
