#pragma once
// Suppresses drawing of the frame while the user moves or sizes an editor
// window: a press on the window's own frame or title bar starts the gesture and
// locks drawing, the release ends it and unlocks. Two procedures sit on the
// window's event chain, outermost first: SizeMoveUnlockProc, then
// SizeMoveLockProc, then the window's own handling. Each acts on its one event
// and passes every event on.

#include <QObject>

class QEvent;
class QMdiSubWindow;

class SizeMoveHook : public QObject {
 public:
  // Installs both procedures on `window`; the lock is taken on the frame the
  // window lives in.
  explicit SizeMoveHook(QMdiSubWindow* window);
  // Removes both procedures and releases a lock this hook still holds.
  ~SizeMoveHook() override;

 private:
  class Procedure;

  // Locks drawing of the frame when a move or size gesture starts.
  bool SizeMoveLockProc(QEvent* event);
  // Unlocks drawing when the gesture ends.
  bool SizeMoveUnlockProc(QEvent* event);
  // A left press on the window's frame or title bar (not its contents), or
  // a left release.
  bool IsGestureEvent(QEvent* event, int type) const;

  QMdiSubWindow* window_;
  Procedure* lockProc_;
  Procedure* unlockProc_;
  bool locked_ = false;
};
