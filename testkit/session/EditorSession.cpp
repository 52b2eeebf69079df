#include "testkit/session/EditorSession.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "frame/MDIForm1.h"
#include "testkit/session/KeyboardKeys.h"

namespace editor_session {

namespace {

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

EditorSession::EditorSession(EditorStage& stage, SessionFiles& files)
    : files_(files), services_(stage.services()), frame_(stage.frame()), input_(frame_) {
  stage.Reset();
  files_.Reset();
}

std::string EditorSession::Play(const uint8_t* data, size_t size) {
  ByteReader stream(data, size);
  std::string broken = Check(false);
  while (broken.empty() && !stream.AtEnd()) {
    const bool fileCommand = Step(stream);
    FlushDeletes();
    broken = Check(fileCommand);
  }
  return broken;
}

bool EditorSession::Step(ByteReader& stream) {
  const uint8_t op = stream.Next() % kOpCount;
  undoRedo_.StartStep();
  switch (op) {
    case kKey: {
      const uint8_t code = stream.Next();
      const uint8_t modifierBits = stream.Next();
      if (const auto stroke = KeyStrokeFor(code, modifierBits))
        input_.Key(*stroke, (modifierBits & kAutoRepeatBit) != 0);
      break;
    }
    case kChar: input_.Char(stream.Next()); break;
    case kInputMethod: input_.InputMethod(stream.Next()); break;
    case kMousePress:
    case kMouseMove:
    case kMouseRelease: {
      // Arguments are read in stream order: button (not for a move), x, y.
      const uint8_t button = op == kMouseMove ? 0 : stream.Next();
      const uint8_t x = stream.Next();
      const uint8_t y = stream.Next();
      input_.Mouse(op == kMousePress  ? QEvent::MouseButtonPress
                   : op == kMouseMove ? QEvent::MouseMove
                                      : QEvent::MouseButtonRelease,
                   button, x, y);
      break;
    }
    case kFileMenu: {
      const uint8_t item = stream.Next();
      return FileMenu(item, stream.Next());
    }
    case kEditMenu: EditMenu(stream.Next()); break;
    case kWindowMenu:
      frame_.mnuWindow_Click();
      if (frame_.mnuLeft->isEnabled()) frame_.mnuLeft->trigger();
      break;
    case kClose: {
      const uint8_t which = stream.Next();
      const QList<QMdiSubWindow*> windows = frame_.mdiArea()->subWindowList();
      if (windows.isEmpty()) break;
      if (which & 0x80) {
        if (QMdiSubWindow* active = frame_.mdiArea()->activeSubWindow()) active->close();
      } else {
        windows[which % windows.size()]->close();
      }
      break;
    }
    case kActivate: {
      const uint8_t which = stream.Next();
      const QList<QMdiSubWindow*> windows = frame_.mdiArea()->subWindowList();
      if (!windows.isEmpty()) frame_.mdiArea()->setActiveSubWindow(windows[which % windows.size()]);
      break;
    }
    case kAnswer:
      services_.answers.push_back((stream.Next() & 1) ? MsgBoxResult::kNo : MsgBoxResult::kYes);
      break;
    case kProbe:
      if (auto* key = frame_.findChild<QPushButton*>(QStringLiteral("Command51"))) {
        if (key->isVisible() && key->isEnabled()) key->click();
      }
      break;
    case kViewMenu:
      ((stream.Next() & 1) ? frame_.mnuBarRadian : frame_.mnuBarSoftKeybord)->trigger();
      break;
  }
  return false;
}

bool EditorSession::FileMenu(uint8_t item, uint8_t choice) {
  frame_.mnuFile_Click();
  QAction* action = nullptr;
  switch (item % kFileItemCount) {
    case kOpen: {
      action = frame_.mnuFileOpen;
      const SessionFiles::OpenChoice open = files_.ForOpen(choice);
      services_.openPaths.push_back(open.path);
      if (open.vanishes) services_.onDialog = [path = open.path] { QFile::remove(path); };
      break;
    }
    case kNew: action = frame_.mnuNewProgram; break;
    case kSave: action = frame_.mnuOverWrite; break;
    case kSaveAs:
      action = frame_.mnuNameSave;
      services_.savePaths.push_back(files_.ForSave(choice));
      break;
    case kPrint: action = frame_.mnuPrintNormal; break;
    case kPrintTwo: action = frame_.mnuPrint; break;
  }
  const bool chosen = action->isEnabled();
  if (chosen) action->trigger();
  // What this command's dialog did not take is not left for the next one.
  services_.openPaths.clear();
  services_.savePaths.clear();
  services_.onDialog = nullptr;
  return chosen && action != frame_.mnuPrintNormal && action != frame_.mnuPrint;
}

void EditorSession::EditMenu(uint8_t item) {
  frame_.mnuEdit_Click();
  QAction* const actions[] = {frame_.mnuUndo, frame_.mnuRedo, frame_.mnuCut, frame_.mnuCopy,
                              frame_.mnuPaste};
  QAction* action = actions[item % kEditItemCount];
  if (action->isEnabled()) undoRedo_.Run(frame_, action);
  else undoRedo_.NoStep();
}

std::string EditorSession::Check(bool afterFileCommand) {
  std::string broken = undoRedo_.Broken();
  return broken.empty() ? BrokenFrameRule(frame_, afterFileCommand) : broken;
}

}  // namespace editor_session
