#include "testkit/session/EditorSession.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <span>
#include <string_view>
#include <vector>

#include "frame/MDIForm1.h"
#include "frame/MenuTable.h"
#include "testkit/session/KeyboardKeys.h"

namespace editor_session {

namespace {

// Counts the events delivered to any object of the main thread.
class DeliveryCount : public QObject {
 public:
  DeliveryCount() { QCoreApplication::instance()->installEventFilter(this); }
  ~DeliveryCount() override { QCoreApplication::instance()->removeEventFilter(this); }
  int64_t count = 0;

 protected:
  bool eventFilter(QObject*, QEvent*) override {
    ++count;
    return false;
  }
};

// Delivers what the program's event loop would deliver before the next user
// event: every posted event (polish, layout and update requests, queued
// calls), the events those post in turn, and the deferred deletions, which
// Qt delivers outside an event loop only when asked for by their type. Left
// in the queue, they would go unfuzzed and pile up from input to input. A few
// rounds at most, in case something keeps posting.
void DeliverPostedEvents() {
  constexpr int kMaxRounds = 8;
  const DeliveryCount delivered;
  for (int round = 0; round < kMaxRounds; ++round) {
    const int64_t before = delivered.count;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (delivered.count == before) return;
  }
}

// The command that the item byte picks from a menu's table: its items in
// menu order, separators left out.
const MenuItemRow& Command(std::span<const MenuItemRow> items, uint8_t item) {
  std::vector<const MenuItemRow*> commands;
  for (const MenuItemRow& row : items) {
    if (row.handler) commands.push_back(&row);
  }
  return *commands[item % commands.size()];
}

}  // namespace

EditorSession::EditorSession(EditorStage& stage, SessionFiles& files)
    : files_(files), services_(stage.services()), frame_(stage.frame()), input_(frame_) {
  stage.Reset();
  DeliverPostedEvents();
  files_.Reset();
}

std::string EditorSession::Play(const uint8_t* data, size_t size) {
  ByteReader stream(data, size);
  std::string broken = Check();
  while (broken.empty() && !stream.AtEnd()) {
    Step(stream);
    DeliverPostedEvents();
    broken = Check();
  }
  return broken;
}

void EditorSession::Step(ByteReader& stream) {
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
      FileMenu(item, stream.Next());
      break;
    }
    case kEditMenu: EditMenu(stream.Next()); break;
    case kWindowMenu:
      frame_.mnuWindow_Click();
      if (QAction* left = frame_.MenuItem("mnuLeft"); left->isEnabled()) left->trigger();
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
      frame_.MenuItem((stream.Next() & 1) ? "mnuBarRadian" : "mnuBarSoftKeybord")->trigger();
      break;
  }
}

void EditorSession::FileMenu(uint8_t item, uint8_t choice) {
  frame_.mnuFile_Click();
  const MenuItemRow& row = Command(FileMenuItems(), item);
  const std::string_view name = row.name;
  if (name == "mnuFileOpen") {
    const SessionFiles::OpenChoice open = files_.ForOpen(choice);
    services_.openPaths.push_back(open.path);
    if (open.vanishes) services_.onDialog = [path = open.path] { QFile::remove(path); };
  } else if (name == "mnuNameSave") {
    services_.savePaths.push_back(files_.ForSave(choice));
  }
  QAction* action = frame_.MenuItem(row.name);
  if (action->isEnabled()) action->trigger();
  // What this command's dialog did not take is not left for the next one.
  services_.openPaths.clear();
  services_.savePaths.clear();
  services_.onDialog = nullptr;
}

void EditorSession::EditMenu(uint8_t item) {
  frame_.mnuEdit_Click();
  QAction* action = frame_.MenuItem(Command(EditMenuItems(), item).name);
  if (action->isEnabled()) undoRedo_.Run(frame_, action);
  else undoRedo_.NoStep();
}

std::string EditorSession::Check() {
  std::string broken = undoRedo_.Broken();
  return broken.empty() ? BrokenFrameRule(frame_) : broken;
}

}  // namespace editor_session
