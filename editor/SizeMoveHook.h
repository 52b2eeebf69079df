#pragma once
// Suppresses drawing of the frame while the user moves or sizes an editor
// window by its own frame or title bar, and has the windows arranged again
// when the gesture ends. Two procedures sit on the window's event chain,
// outermost first: SizeMoveUnlockProc, then SizeMoveLockProc, then the
// window's own handling. Each acts on its events and passes every event on.
//
// A gesture starts with a left press on the window's frame or title bar, but
// drawing is locked only once the window really moves or changes size: a
// click that moves nothing (on the caption, the icon, a button) locks nothing.
// Qt does not always deliver the end of a gesture to the window: the system
// menu or another grab may take the release, or it may come up outside the
// application. So while the button is down SizeMoveUnlockProc watches the
// whole application, and whatever shows that the gesture is over ends it: a
// left release anywhere, a pointer move without the left button, the
// application losing the focus, the window hidden or closed.

#include <functional>

class QEvent;
class QMdiSubWindow;
class QObject;

class SizeMoveHook {
 public:
  // Installs both procedures on `window`; the lock is taken on the frame the
  // window lives in. `moved` runs when a gesture that moved or sized the
  // window ends, before drawing is unlocked.
  SizeMoveHook(QMdiSubWindow* window, std::function<void()> moved);
  // Removes both procedures and releases a lock this hook still holds.
  ~SizeMoveHook();

  SizeMoveHook(const SizeMoveHook&) = delete;
  SizeMoveHook& operator=(const SizeMoveHook&) = delete;

 private:
  class Procedure;

  // Notes a press on the window's frame and locks drawing when the window
  // first moves or changes size under it.
  bool SizeMoveLockProc(QObject* watched, QEvent* event);
  // Ends the gesture however its end shows.
  bool SizeMoveUnlockProc(QObject* watched, QEvent* event);

  // A left press or double-click on the window's frame or title bar, not on
  // its contents.
  bool IsPressOnFrame(QEvent* event) const;
  // The move or size is over: arrange the windows if it moved this one, then
  // unlock drawing.
  void ExitSizeMove();
  // The button is up: the gesture is over and the application no longer
  // watched.
  void EndPress();

  QMdiSubWindow* window_;
  std::function<void()> moved_;
  Procedure* lockProc_;
  Procedure* unlockProc_;
  bool pressed_ = false;      // a gesture's button is down
  bool lockable_ = false;     // this gesture may still lock drawing
  bool windowMoved_ = false;  // the window moved or changed size in it
  bool locked_ = false;       // this hook holds the drawing lock
};
