#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>
#include <QScreen>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstring>

namespace {

// How long ShowPainted waits for the window system to show a window.
constexpr int kShowMs = 2000;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

xcb_window_t Root(xcb_connection_t* connection, xcb_window_t window) {
  xcb_query_tree_reply_t* reply =
      xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
  const xcb_window_t root = reply ? reply->root : xcb_window_t{XCB_WINDOW_NONE};
  std::free(reply);
  return root;
}

// The X server time at which the launch was asked for: the launcher writes
// it into the id ("..._TIME<time>"); 0 when it did not.
quint32 LaunchTime(const QByteArray& startupId) {
  const qsizetype at = startupId.lastIndexOf("_TIME");
  return at < 0 ? 0 : startupId.mid(at + 5).toUInt();
}

// The startup-notification message that ends the launch `startupId`: sent to
// the root window in pieces of 20 bytes, the first of them typed _BEGIN.
void SendLaunchEnd(xcb_connection_t* connection, xcb_window_t root, const QByteArray& startupId) {
  QByteArray id = startupId;
  id.replace('\\', "\\\\").replace('"', "\\\"");
  const QByteArray message = "remove: ID=\"" + id + '"';
  const xcb_atom_t begin = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
  const xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
  const qsizetype length = message.size() + 1;  // the closing NUL goes too
  for (qsizetype sent = 0; sent < length; sent += 20) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = root;
    event.type = sent == 0 ? begin : more;
    std::memcpy(event.data.data8, message.constData() + sent, qMin<qsizetype>(20, length - sent));
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                   reinterpret_cast<const char*>(&event));
  }
}

// On X11: marks `window` as the answer to the launch `startupId` and asks the
// window manager to activate it with the launch's time, which a window
// manager that prevents focus stealing accepts; then ends the launch.
void AnswerX11Launch(QWidget& window, const QByteArray& startupId) {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || startupId.isEmpty()) return;
  xcb_connection_t* connection = x11->connection();
  const auto id = static_cast<xcb_window_t>(window.winId());
  const xcb_window_t root = Root(connection, id);
  if (root == XCB_WINDOW_NONE) return;
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, Atom(connection, "_NET_STARTUP_ID"),
                      Atom(connection, "UTF8_STRING"), 8, startupId.size(), startupId.constData());
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = id;
  event.type = Atom(connection, "_NET_ACTIVE_WINDOW");
  event.data.data32[0] = 1;  // asked for by an application on the user's behalf
  event.data.data32[1] = LaunchTime(startupId);
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  SendLaunchEnd(connection, root, startupId);
  xcb_flush(connection);
}

}  // namespace

QSize FitToAvailableArea(const QWidget& window, QSize wanted) {
  const QScreen* screen = window.screen();
  if (!screen) return wanted;
  return wanted.boundedTo(screen->availableGeometry().size());
}

LaunchToken ReadLaunchToken() {
  return {qgetenv("XDG_ACTIVATION_TOKEN"), qgetenv("DESKTOP_STARTUP_ID")};
}

void ClearLaunchToken() {
  qunsetenv("XDG_ACTIVATION_TOKEN");
  qunsetenv("DESKTOP_STARTUP_ID");
}

void ShowPainted(QWidget& window) {
  window.show();
  const QDeadlineTimer deadline(kShowMs);
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (deadline.hasExpired() || (window.windowHandle() && window.windowHandle()->isExposed())) {
      loop.quit();
    }
  });
  poll.start(10);
  loop.exec();
  window.repaint();
}

void BringToFront(QWidget& window, const LaunchToken& token) {
  if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  // On Wayland Qt presents the activation token it finds in the environment
  // when the window asks for the focus, and removes it.
  const bool wayland = QGuiApplication::platformName().startsWith(u"wayland");
  if (wayland && !token.activationToken.isEmpty()) {
    qputenv("XDG_ACTIVATION_TOKEN", token.activationToken);
  }
  window.activateWindow();
  if (wayland) qunsetenv("XDG_ACTIVATION_TOKEN");
  AnswerX11Launch(window, token.startupId);
  // Without a window manager nothing keeps a box above the window it
  // belongs to: raise it again after its owner.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != &window) {
    modal->raise();
    modal->activateWindow();
  }
}
