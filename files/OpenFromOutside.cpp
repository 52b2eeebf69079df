// Opening files that come from outside the File menu. Each is opened as File
// ▸ Open opens the file its dialog returns: the same reading, the same report
// for a file that cannot be read, the newest window leftmost, so that the
// last file named ends up leftmost. The files wait while a command runs (a
// box or dialog is open, the frame's controls are off, drawing is locked) and
// are opened as one file command of their own once it has ended: commands
// never run inside each other.

#include "files/OpenFromOutside.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "files/OpenProgram.h"
#include "frame/FrameControls.h"
#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"

namespace {

// How often waiting files look again whether the running command has ended.
constexpr int kRetryMs = 100;

bool CommandRunning(const MDIForm1& frame) {
  return frame.ControlsDisabled()                    // a file command's controls are off
         || QApplication::activeModalWidget()      // a box or dialog is open
         || QApplication::activePopupWidget()      // a menu is open
         || IsDrawingLocked();                     // windows are being rebuilt or moved
}

// The local files among `urls`; other addresses cannot be opened.
QStringList LocalFiles(const QList<QUrl>& urls) {
  QStringList paths;
  for (const QUrl& url : urls) {
    if (url.isLocalFile()) paths << QDir::cleanPath(url.toLocalFile());
  }
  return paths;
}

}  // namespace

// The files waiting to be opened, and the timer that opens them.
class OutsideOpenQueue : public QObject {
 public:
  explicit OutsideOpenQueue(MDIForm1& frame) : QObject(&frame), frame_(frame) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &OutsideOpenQueue::Run);
  }

  void Add(const QStringList& paths) {
    pending_ += paths;
    if (!timer_.isActive()) timer_.start(0);
  }

 private:
  void Run() {
    if (pending_.isEmpty()) return;
    if (CommandRunning(frame_)) {
      timer_.start(kRetryMs);
      return;
    }
    const QStringList paths = std::exchange(pending_, QStringList());
    {
      frame_.DisableFrameControls();
      const EnableFrameControlsOnExit enable(frame_);
      for (const QString& path : paths) {
        const DrawingLockGuard lock(&frame_);
        OpenProgramFile(frame_, path);
      }
    }
    // Files handed over while a report of this command was open.
    if (!pending_.isEmpty()) timer_.start(0);
  }

  MDIForm1& frame_;
  QStringList pending_;
  QTimer timer_;
};

QStringList AbsolutePaths(const QStringList& names, const QString& workingFolder) {
  const QDir folder(workingFolder);
  QStringList paths;
  for (const QString& name : names) paths << QDir::cleanPath(folder.absoluteFilePath(name));
  return paths;
}

void MDIForm1::OpenFromOutside(const QStringList& paths) {
  if (paths.isEmpty()) return;
  if (!outsideFiles_) outsideFiles_ = new OutsideOpenQueue(*this);
  outsideFiles_->Add(paths);
}

void MDIForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()->urls()).isEmpty()) event->acceptProposedAction();
}

void MDIForm1::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFiles(event->mimeData()->urls());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  // Opened after the drop has returned: the program the files came from
  // waits for its end, and a report must not keep it waiting.
  OpenFromOutside(paths);
}
