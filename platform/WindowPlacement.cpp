#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

QSize FitToAvailableArea(const QWidget& window, QSize wanted) {
  const QScreen* screen = window.screen();
  if (!screen) return wanted;
  return wanted.boundedTo(screen->availableGeometry().size());
}

void BringToFront(QWidget& window) {
  if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
  // Without a window manager nothing keeps a box above the window it
  // belongs to: raise it again after its owner.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != &window) {
    modal->raise();
    modal->activateWindow();
  }
}
