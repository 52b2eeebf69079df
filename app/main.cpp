// KESTO: the frame window is the program. Started without files it opens
// empty, and the user opens or creates programs from its menus; files named
// on the command line open as File ▸ Open opens them. One frame serves a
// user's display: a later start hands its files to it and ends.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <cstdio>

#include "files/OpenFromOutside.h"
#include "frame/MDIForm1.h"
#include "platform/Application.h"
#include "platform/QtServices.h"
#include "platform/SingleInstance.h"
#include "platform/WindowPlacement.h"
#include "print/PrintToPdf.h"

int main(int argc, char** argv) {
  // A listing to a PDF file (--print / --print-two-column FILE --to OUT.pdf)
  // needs no display and no frame, and hands nothing over.
  PreparePdfCommandLine(argc, argv);
  QApplication app(argc, argv);
  if (const std::optional<int> printed = PrintFromCommandLine(app)) return *printed;

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("KESTO: NC プログラムエディタ"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("開くプログラムファイル"),
                               QStringLiteral("[ファイル...]"));
  parser.process(app);
  const QStringList paths = AbsolutePaths(parser.positionalArguments(), QDir::currentPath());

  SingleInstance instance(QStringLiteral("kesto"));
  switch (instance.Start(paths)) {
    case SingleInstance::Role::kHandedOver:
      return 0;
    case SingleInstance::Role::kNoAnswer:
      std::fprintf(stderr, "kesto: 起動中の KESTO が応答しません。\n");
      return 1;
    case SingleInstance::Role::kServer:
    case SingleInstance::Role::kAlone:
      break;
  }

  InitApplication(app);
  QtServices services;
  MDIForm1 frame(services);
  services.SetOwner(&frame);
  QObject::connect(&instance, &SingleInstance::Received, &frame,
                   [&frame](const QStringList& handed) {
                     BringToFront(frame);
                     frame.OpenFromOutside(handed);
                   });
  frame.show();
  frame.OpenFromOutside(paths);
  return app.exec();
}
