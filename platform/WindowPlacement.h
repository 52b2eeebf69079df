#pragma once
// Where a top-level window stands on the desktop and how it comes forward.

#include <QSize>

class QWidget;

// `wanted`, reduced in each direction to the available area (the screen less
// its panels) of the screen `window` appears on, where that is smaller.
QSize FitToAvailableArea(const QWidget& window, QSize wanted);

// Brings `window` to the front with the keyboard focus, restored if it was
// minimised. A box or dialog open over it comes along and stays on top: it
// keeps the input until it is answered.
void BringToFront(QWidget& window);
