#include "editor/SizeMoveHook.h"

#include <QApplication>
#include <QEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <utility>

#include "platform/DrawingLock.h"

// One procedure on an event chain. Event filters installed later run first, so
// the procedure installed last on the window is the outermost.
class SizeMoveHook::Procedure : public QObject {
 public:
  explicit Procedure(std::function<bool(QObject*, QEvent*)> proc) : proc_(std::move(proc)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override { return proc_(watched, event); }

 private:
  std::function<bool(QObject*, QEvent*)> proc_;
};

SizeMoveHook::SizeMoveHook(QMdiSubWindow* window, std::function<void()> moved)
    : window_(window), moved_(std::move(moved)) {
  lockProc_ = new Procedure([this](QObject* w, QEvent* e) { return SizeMoveLockProc(w, e); });
  window_->installEventFilter(lockProc_);
  unlockProc_ = new Procedure([this](QObject* w, QEvent* e) { return SizeMoveUnlockProc(w, e); });
  window_->installEventFilter(unlockProc_);
}

SizeMoveHook::~SizeMoveHook() {
  if (pressed_) qApp->removeEventFilter(unlockProc_);
  window_->removeEventFilter(unlockProc_);
  window_->removeEventFilter(lockProc_);
  delete unlockProc_;
  delete lockProc_;
  // A window closed in the middle of a gesture must not leave the frame frozen.
  if (locked_) LockWindowUpdate(nullptr);
}

bool SizeMoveHook::IsPressOnFrame(QEvent* event) const {
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
    return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton) return false;
  const QWidget* contents = window_->widget();
  return !(contents && contents->isVisible() &&
           contents->geometry().contains(mouse->position().toPoint()));
}

bool SizeMoveHook::SizeMoveLockProc(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (!pressed_ && IsPressOnFrame(event)) {
        pressed_ = true;
        lockable_ = true;
        // Until the button is up, its release may reach any object.
        qApp->installEventFilter(unlockProc_);
      }
      break;
    case QEvent::Move:
    case QEvent::Resize:
      if (pressed_) {
        windowMoved_ = true;
        if (lockable_ && !locked_) {
          LockWindowUpdate(window_->window());
          locked_ = true;
        }
      }
      break;
    default:
      break;
  }
  return false;
}

bool SizeMoveHook::SizeMoveUnlockProc(QObject* watched, QEvent* event) {
  if (!pressed_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) EndPress();
      break;
    case QEvent::MouseMove:
      // The release went where nothing reports it; the button is up all the same.
      if (!(static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton)) EndPress();
      break;
    case QEvent::ApplicationStateChange:
      // Another application took the pointer or the keyboard: whatever the
      // button does from now on, drawing does not wait for it.
      if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
          Qt::ApplicationActive) {
        ExitSizeMove();
        lockable_ = false;
      }
      break;
    case QEvent::Hide:
      // A hidden window is closing; the frame arranges the others itself.
      if (watched == window_) {
        windowMoved_ = false;
        EndPress();
      }
      break;
    default:
      break;
  }
  return false;
}

void SizeMoveHook::ExitSizeMove() {
  // Arranging moves this window too; those moves are not the user's.
  if (std::exchange(windowMoved_, false) && moved_) moved_();
  windowMoved_ = false;
  // Arranged while still locked, so the frame is drawn once, as it ends up.
  if (std::exchange(locked_, false)) LockWindowUpdate(nullptr);
}

void SizeMoveHook::EndPress() {
  pressed_ = false;
  qApp->removeEventFilter(unlockProc_);
  ExitSizeMove();
}
