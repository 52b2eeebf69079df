#pragma once
// The drawing lock of the frame: while it is held, the frame and every window
// inside it are not repainted. There is one lock for the whole process, as the
// windowing system the program was designed for had one for the desktop.

class QWidget;

// Locks drawing of `window` (normally the frame); a null window releases the
// lock. Locking while the lock is held only deepens it: each lock is matched by
// one release, and a release without a lock does nothing.
void LockWindowUpdate(QWidget* window);

// True while some caller holds the lock.
bool IsDrawingLocked();

// Holds the lock on `window` for the lifetime of the guard, so that every path
// out of a scope, errors included, releases it.
class DrawingLockGuard {
 public:
  explicit DrawingLockGuard(QWidget* window);
  ~DrawingLockGuard();
  DrawingLockGuard(const DrawingLockGuard&) = delete;
  DrawingLockGuard& operator=(const DrawingLockGuard&) = delete;
};
