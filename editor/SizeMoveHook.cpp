#include "editor/SizeMoveHook.h"

#include <QEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <functional>

#include "platform/DrawingLock.h"

// One procedure on the window's event chain. Event filters installed later run
// first, so the procedure installed last is the outermost.
class SizeMoveHook::Procedure : public QObject {
 public:
  explicit Procedure(std::function<bool(QEvent*)> proc) : proc_(std::move(proc)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override { return proc_(event); }

 private:
  std::function<bool(QEvent*)> proc_;
};

SizeMoveHook::SizeMoveHook(QMdiSubWindow* window) : window_(window) {
  lockProc_ = new Procedure([this](QEvent* e) { return SizeMoveLockProc(e); });
  window_->installEventFilter(lockProc_);
  unlockProc_ = new Procedure([this](QEvent* e) { return SizeMoveUnlockProc(e); });
  window_->installEventFilter(unlockProc_);
}

SizeMoveHook::~SizeMoveHook() {
  window_->removeEventFilter(unlockProc_);
  window_->removeEventFilter(lockProc_);
  delete unlockProc_;
  delete lockProc_;
  // A window closed in the middle of a gesture must not leave the frame frozen.
  if (locked_) LockWindowUpdate(nullptr);
}

bool SizeMoveHook::IsGestureEvent(QEvent* event, int type) const {
  if (event->type() != type) return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton) return false;
  // The release ends the gesture wherever the pointer has gone meanwhile.
  if (type == QEvent::MouseButtonRelease) return true;
  const QWidget* contents = window_->widget();
  return !(contents && contents->isVisible() &&
           contents->geometry().contains(mouse->position().toPoint()));
}

bool SizeMoveHook::SizeMoveLockProc(QEvent* event) {
  if (!locked_ && IsGestureEvent(event, QEvent::MouseButtonPress)) {
    LockWindowUpdate(window_->window());
    locked_ = true;
  }
  return false;
}

bool SizeMoveHook::SizeMoveUnlockProc(QEvent* event) {
  // Only a lock taken by this window's gesture is released here.
  if (locked_ && IsGestureEvent(event, QEvent::MouseButtonRelease)) {
    LockWindowUpdate(nullptr);
    locked_ = false;
  }
  return false;
}
