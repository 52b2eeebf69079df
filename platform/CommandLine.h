#pragma once
// The program's command line, read before any window system is reached: so
// that --help and --version answer without a display, an unknown option is a
// usage error rather than a file name, and "--" ends every option, Qt's own
// included. Qt's options (-style, -platform, -reverse, ...) given before "--"
// are handed to Qt as they always were.
//
// Arguments are kept as the bytes they are: a file name need not be UTF-8.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

struct CommandLine {
  enum class Action {
    kOpen,        // start the frame (or hand over to the running one) with `files`
    kHelp,        // print the usage and end with 0
    kVersion,     // print the version and end with 0
    kPrint,       // print `printFile` into the PDF `printTo` and end
    kUsageError,  // print `error` (one line) and end with 2
  };
  enum class PrintMode { kNone, kOneColumn, kTwoColumn };

  Action action = Action::kOpen;
  // The file names, as given, in order.
  QByteArrayList files;
  // What QApplication is constructed with: the program's name, then Qt's own
  // options with their values, in order.
  QByteArrayList qtArguments;
  // The X server named by Qt's -display, null when none is: the running
  // frame to hand over to is the one on that display.
  QByteArray display;
  PrintMode printMode = PrintMode::kNone;
  QByteArray printFile;
  QByteArray printTo;
  QString error;
};

// Reads `arguments` (argv, the program's name first).
CommandLine ParseCommandLine(const QByteArrayList& arguments);

// The text --help prints.
QString CommandLineUsage();
