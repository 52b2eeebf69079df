#pragma once
// A shown frame that editor sessions share: building one takes far longer
// than playing most inputs, so each session starts by bringing it back to the
// state it had when it was new.

#include <QString>
#include <memory>

#include "testkit/ScriptedServices.h"

class MDIForm1;

namespace editor_session {

class EditorStage {
 public:
  EditorStage();
  ~EditorStage();

  // Every editor window closed, the paste buffer empty, the bars and the
  // caption as new, the services' scripts and records empty.
  void Reset();

  MDIForm1& frame() { return *frame_; }
  ScriptedServices& services() { return services_; }

 private:
  ScriptedServices services_;
  std::unique_ptr<MDIForm1> frame_;
  bool softKeyboardShown_ = true;
  QString caption_;
};

}  // namespace editor_session
