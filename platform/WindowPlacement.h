#pragma once
// Where a top-level window stands on the desktop and how it comes forward.

#include <QByteArray>
#include <QSize>

class QWidget;

// `wanted`, reduced in each direction to the available area (the screen less
// its panels) of the screen `window` appears on, where that is smaller.
QSize FitToAvailableArea(const QWidget& window, QSize wanted);

// What a launcher (a file manager, a menu, a dock) gives a program it starts
// so that the window manager lets the program's window take the focus: an
// activation token on Wayland, a startup notification id on X11.
struct LaunchToken {
  QByteArray activationToken;  // XDG_ACTIVATION_TOKEN
  QByteArray startupId;        // DESKTOP_STARTUP_ID
};

// The launch token this process was started with. Read it before the
// QApplication exists, and clear it once it does: on X11 Qt itself takes the
// startup id for the first window it shows.
LaunchToken ReadLaunchToken();
// Removes the launch token from the environment, so that no program this
// process starts takes it for its own.
void ClearLaunchToken();

// Shows `window` and returns once it has been painted on the screen, or after
// two seconds when the window system does not show it (minimised, another
// desktop): whatever opens over it next stands over a painted window.
void ShowPainted(QWidget& window);

// Brings `window` to the front with the keyboard focus, restored if it was
// minimised, on behalf of the launch that `token` comes from: the window
// manager sees that the user asked for it, and the launcher's busy feedback
// ends. A box or dialog open over it comes along and stays on top: it keeps
// the input until it is answered.
void BringToFront(QWidget& window, const LaunchToken& token = {});
