#pragma once
// Opening program files into new editor windows: what File ▸ Open does once
// its dialog has given the path. Files that come from outside the File menu
// (the command line, another start, a drop) are opened the same way.
//
// Reading a file can take long (a large program, a slow stick, a network
// folder): the files of one command are read as one long operation over the
// frame, titled "開く", outside the drawing lock, so that the frame paints
// and answers keys meanwhile and its "中止" stops the command. Only making
// the window and arranging it are done under the lock.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/LongOperation.h"

class Form1;
class MDIForm1;
class TextStore;

// The reading of the files of one command, one after the other.
class ProgramReading {
 public:
  enum class Outcome {
    kRead,         // `text` holds the file's canonical text
    kUnreadable,   // the file cannot be read; the command goes on
    kCancelled,    // the user stopped the command: nothing more is read
    kFrameClosed,  // the frame has closed: nothing more is read or shown
  };

  // `files`: how many files the command may read; the box shows which one
  // is being read when there are more than one.
  ProgramReading(MDIForm1& frame, int files);

  // Reads the command's next file into `text`, untouched unless read.
  // `onLongRead` runs once, on this thread, when the file has been read for
  // a slice of time (LongOperation::kSliceMs) and the frame is about to be
  // painted meanwhile.
  Outcome Read(const QString& path, TextStore& text, const std::function<void()>& onLongRead = {});

  // Removes the box and ends the long operation; called before the reports
  // and the arrangement, which need neither.
  void End() { operation_.reset(); }

 private:
  QString Label() const;

  std::optional<LongOperation> operation_;
  const int files_;
  int file_ = 0;  // 1-based, of the file being read
  int64_t done_ = 0;
  int64_t total_ = 0;
};

// Reads the program at `path` and shows it in a new editor window, captioned
// with the path and arranged with the others. A file that cannot be read (a
// folder, a pipe, a device, missing, no access) gets the report
// "上記のファイルを開けませんでした。" under its path and no window; one
// whose reading is cancelled gets "上記のファイルを開くのを中止しました。"
// and no window; while the frame closes, nothing. Runs inside a file command
// (the caller has disabled the frame's controls) and not under the drawing
// lock, nor while another long operation runs.
void OpenProgramFile(MDIForm1& frame, const QString& path);

// The parts of OpenProgramFile for files opened together: the window for
// `path` with its `text`, made, filled, shown and counted but not yet
// arranged (the caller holds the drawing lock) ...
Form1* MakeProgramWindow(MDIForm1& frame, const QString& path, const TextStore& text);
// ... and the reports for a file that could not be read and for the file
// whose reading was cancelled.
void ReportUnreadableFile(MDIForm1& frame, const QString& path);
void ReportCancelledOpen(MDIForm1& frame, const QString& path);
