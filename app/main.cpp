// KESTO: the frame window is the program. Started without files it opens
// empty, and the user opens or creates programs from its menus; files named
// on the command line open as File ▸ Open opens them. One frame serves a
// user's display: a later start hands its files to it and ends.
//
// Exit codes: 0 success, 1 the files could not be handed on or opened from
// here, 2 a mistake on the command line.

#include <QApplication>
#include <QList>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <utility>
#include <vector>

#include "frame/MDIForm1.h"
#include "platform/Application.h"
#include "platform/CommandLine.h"
#include "platform/LocalPath.h"
#include "platform/QtServices.h"
#include "platform/SingleInstance.h"
#include "platform/StartPaths.h"
#include "platform/WindowPlacement.h"
#include "print/PrintToPdf.h"

namespace {

void PrintLine(std::FILE* stream, const QString& line) {
  std::fprintf(stream, "%s\n", line.toUtf8().constData());
}

QByteArray WorkingFolder() {
  char* folder = ::getcwd(nullptr, 0);
  const QByteArray bytes(folder);
  std::free(folder);
  return bytes;
}

// What the command line asks for that ends before any window: the usage, the
// version, a mistake. Returns the exit code, or -1 to go on.
int Answer(const CommandLine& line) {
  switch (line.action) {
    case CommandLine::Action::kHelp:
      std::fputs(CommandLineUsage().toUtf8().constData(), stdout);
      return 0;
    case CommandLine::Action::kVersion:
      std::printf("kesto %s\n", KESTO_VERSION);
      return 0;
    case CommandLine::Action::kUsageError:
      PrintLine(stderr, QStringLiteral("kesto: ") + line.error);
      return 2;
    case CommandLine::Action::kPrint:
    case CommandLine::Action::kOpen:
      break;
  }
  return -1;
}

// QApplication's arguments: the program's name and Qt's own options.
class QtArguments {
 public:
  explicit QtArguments(QByteArrayList arguments) : arguments_(std::move(arguments)) {
    for (QByteArray& argument : arguments_) argv_.push_back(argument.data());
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(argv_.size()) - 1;
  }
  int& argc() { return argc_; }
  char** argv() { return argv_.data(); }

 private:
  QByteArrayList arguments_;
  std::vector<char*> argv_;
  int argc_ = 0;
};

// A listing written to a PDF file needs no display and no frame, and hands
// nothing over: Qt's offscreen platform, unless the command line names one.
int PrintListingToPdf(const CommandLine& line) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
      !line.qtArguments.contains(QByteArrayLiteral("-platform"))) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QtArguments qt(line.qtArguments);
  QApplication app(qt.argc(), qt.argv());
  InitApplication(app);
  return PrintToPdf(DecodeLocalPath(line.printFile), DecodeLocalPath(line.printTo),
                    line.printMode == CommandLine::PrintMode::kTwoColumn);
}

}  // namespace

int main(int argc, char** argv) {
  QByteArrayList arguments;
  for (int i = 0; i < argc; ++i) arguments << QByteArray(argv[i]);
  const CommandLine line = ParseCommandLine(arguments);
  if (const int code = Answer(line); code >= 0) return code;
  if (line.action == CommandLine::Action::kPrint) return PrintListingToPdf(line);

  // Names that only this process can resolve are resolved before anything
  // else: what cannot be handed on ends the start here, before any window.
  const StartPaths start = ResolveStartPaths(line.files, WorkingFolder(), ::getpid());
  if (!start.errors.isEmpty()) {
    for (const QString& error : start.errors) PrintLine(stderr, error);
    return 1;
  }

  // Qt's -display and the hand-over's socket name the same X server.
  if (!line.display.isNull()) qputenv("DISPLAY", line.display);
  const LaunchToken token = ReadLaunchToken();
  QtArguments qt(line.qtArguments);
  QApplication app(qt.argc(), qt.argv());
  ClearLaunchToken();

  SingleInstance instance(QStringLiteral("kesto"));
  switch (instance.Start({start.paths, token})) {
    case SingleInstance::Role::kHandedOver:
      return 0;
    case SingleInstance::Role::kNoAnswer:
      PrintLine(stderr, QStringLiteral("kesto: 起動中の KESTO が応答しません。"));
      return 1;
    case SingleInstance::Role::kRefused:
      PrintLine(stderr, QStringLiteral("kesto: 起動中の KESTO がファイルを受け取りませんでした。"));
      return 1;
    case SingleInstance::Role::kServer:
    case SingleInstance::Role::kAlone:
      break;
  }

  InitApplication(app);
  QtServices services;
  MDIForm1 frame(services);
  services.SetOwner(&frame);
  // Files handed over before the frame has painted wait with the command
  // line's: a report of a file must not stand over a frame never painted.
  QList<HandOverRequest> early;
  bool painted = false;
  QObject::connect(&instance, &SingleInstance::Received, &frame,
                   [&frame, &early, &painted](const HandOverRequest& request) {
                     if (!painted) {
                       early << request;
                       return;
                     }
                     BringToFront(frame, request.token);
                     frame.OpenFromOutside(request.paths);
                   });
  ShowPainted(frame);
  painted = true;
  // On X11 Qt has answered this start's own launch with the first window;
  // on Wayland the frame presents the activation token itself.
  if (!token.activationToken.isEmpty()) BringToFront(frame, {token.activationToken, {}});
  frame.OpenFromOutside(start.paths);
  for (const HandOverRequest& request : early) {
    BringToFront(frame, request.token);
    frame.OpenFromOutside(request.paths);
  }
  return app.exec();
}
