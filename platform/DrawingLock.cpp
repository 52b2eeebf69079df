#include "platform/DrawingLock.h"

#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget> g_locked;
int g_depth = 0;

}  // namespace

void LockWindowUpdate(QWidget* window) {
  if (window) {
    if (g_depth++ == 0) {
      g_locked = window;
      window->setUpdatesEnabled(false);
    }
    return;
  }
  if (g_depth == 0) return;
  if (--g_depth == 0) {
    // Re-enabling updates schedules one repaint of everything that changed.
    if (g_locked) g_locked->setUpdatesEnabled(true);
    g_locked = nullptr;
  }
}

bool IsDrawingLocked() { return g_depth > 0; }

DrawingLockGuard::DrawingLockGuard(QWidget* window) { LockWindowUpdate(window); }

DrawingLockGuard::~DrawingLockGuard() { LockWindowUpdate(nullptr); }
