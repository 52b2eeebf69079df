#include "platform/DrawingLock.h"

#include <QCoreApplication>
#include <QEvent>
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
    if (g_locked) {
      g_locked->setUpdatesEnabled(true);
      // A repaint that Qt ran while the lock was held kept its widgets marked
      // dirty, and Qt asks for no further repaint while any are marked: the
      // window would stay as it was. One more request paints them all.
      QCoreApplication::postEvent(g_locked, new QEvent(QEvent::UpdateRequest),
                                  Qt::LowEventPriority);
    }
    g_locked = nullptr;
  }
}

bool IsDrawingLocked() { return g_depth > 0; }

DrawingLockGuard::DrawingLockGuard(QWidget* window) { LockWindowUpdate(window); }

DrawingLockGuard::~DrawingLockGuard() { LockWindowUpdate(nullptr); }
