#pragma once
// The desktop's services without a desktop, for tests, fuzz targets and
// benchmarks: message boxes are answered from a script and recorded, file
// dialogs return scripted paths, and print jobs go to a recording printer
// whose page and character sizes are set here.

#include <QString>
#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Printer.h"
#include "platform/Services.h"

struct ShownMessage {
  QString prompt;
  int style;
  QString title;
};

// One line the recording printer was given.
struct PrintedText {
  double x, y;
  QString text;
};

// What one print job received.
struct PrintJob {
  QString fontName;
  double fontSize = 0;
  int orientation = 0;
  int colorMode = 0;
  int duplex = 0;
  QList<QList<PrintedText>> pages;  // the lines of each sheet
  bool ended = false;
  bool aborted = false;
  // Runs after each line is printed, e.g. to act while a job runs.
  std::function<void()> onPrint;
  // Runs as the document is ended, e.g. to act while it goes to its queue.
  std::function<void()> onEnd;
};

// A printer that records what it is given. A character is charWidth wide,
// a full-width one (CJK, full-width forms) twice that, as a Japanese
// fixed-pitch font prints them; every row is charHeight high.
class RecordingPrinter : public Printer {
 public:
  RecordingPrinter(PrintJob& job, bool available, double width, double height, double charWidth,
                   double charHeight)
      : job_(job), available_(available), width_(width), height_(height),
        charWidth_(charWidth), charHeight_(charHeight) {}
  bool IsAvailable() const override { return available_; }
  void SetFontName(const QString& name) override { job_.fontName = name; }
  void SetFontSize(double points) override { job_.fontSize = points; }
  void SetOrientation(int value) override { job_.orientation = value; }
  void SetColorMode(int value) override { job_.colorMode = value; }
  void SetDuplex(int value) override { job_.duplex = value; }
  double ScaleWidth() const override { return width_; }
  double ScaleHeight() const override { return height_; }
  double TextWidth(const QString& text) const override;
  double TextHeight(const QString&) const override { return charHeight_; }
  bool PrintAt(double x, double y, const QString& text) override;
  bool NewPage() override;
  bool EndDoc() override;
  void Abort() override { job_.aborted = true; }

 private:
  PrintJob& job_;
  bool available_;
  double width_, height_, charWidth_, charHeight_;
};

class ScriptedServices : public Services {
 public:
  // Answers given to message boxes in turn; when the script runs out, a
  // question is answered Yes and a report OK.
  std::deque<int> answers;
  // Paths the file dialogs return in turn; when a script runs out, the
  // dialog is cancelled ("").
  std::deque<QString> openPaths;
  std::deque<QString> savePaths;
  // What the program showed and asked.
  std::vector<ShownMessage> messages;
  struct DialogCall {
    QString filter;
    int flags;
  };
  std::vector<DialogCall> openCalls, saveCalls;

  // The printer the next jobs get.
  bool printerAvailable = true;
  double pageWidth = 600, pageHeight = 800, charWidth = 10, charHeight = 20;
  std::vector<std::unique_ptr<PrintJob>> jobs;
  // Given to every job as its onPrint and onEnd.
  std::function<void()> onPrint;
  std::function<void()> onEnd;

  // Runs during every message box, e.g. to check what the frame shows then.
  std::function<void(const ShownMessage&)> onMessage;
  // Runs during every open or save dialog, before it returns its path, e.g.
  // to take away the file the user is about to choose.
  std::function<void()> onDialog;

  int MsgBox(const QString& prompt, int style, const QString& title) override;
  QString ShowOpenDialog(const QString& filter, int flags) override;
  QString ShowSaveDialog(const QString& filter, int flags) override;
  std::unique_ptr<Printer> DefaultPrinter() override;
};
