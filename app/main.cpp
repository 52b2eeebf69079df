// KESTO: the frame window is the program; it starts empty and the user opens
// or creates programs from its menus.

#include <QApplication>

#include "editor/Form1.h"  // MDIForm1.h needs the complete editor window
#include "frame/MDIForm1.h"
#include "platform/Application.h"
#include "platform/QtServices.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InitApplication(app);
  QtServices services;
  MDIForm1 frame(services);
  frame.show();
  return app.exec();
}
