#include "testkit/session/EditorStage.h"

#include <QAction>
#include <QCoreApplication>

#include "editor/Form1.h"
#include "frame/MDIForm1.h"

namespace editor_session {

EditorStage::EditorStage() : frame_(std::make_unique<MDIForm1>(services_)) {
  frame_->show();
  softKeyboardShown_ = frame_->Toolbar1->isVisibleTo(frame_.get());
  caption_ = frame_->Caption();
}

EditorStage::~EditorStage() {
  frame_.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void EditorStage::Reset() {
  for (Form1* form : frame_->Forms()) form->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  frame_->PasteText.clear();
  frame_->SetCaption(caption_);
  if (frame_->Toolbar1->isVisibleTo(frame_.get()) != softKeyboardShown_)
    frame_->MenuItem(softKeyboardShown_ ? "mnuBarSoftKeybord" : "mnuBarRadian")->trigger();
  services_ = ScriptedServices();
}

}  // namespace editor_session
