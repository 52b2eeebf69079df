// Opening files that come from outside the File menu. Each is opened as File
// ▸ Open opens the file its dialog returns: the same reading, the same report
// for a file that cannot be read, the newest window leftmost, so that the
// last file named ends up leftmost. The files wait while a command runs (a
// box or dialog is open, the frame's controls are off, drawing is locked) and
// are opened as one file command of their own once it has ended: commands
// never run inside each other. The files of one command are read as one long
// operation: its "中止" stops the file being read and the rest of the batch.

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "document/TextStore.h"
#include "frame/FrameControls.h"
#include "frame/MDIForm1.h"
#include "frame/OpenProgram.h"
#include "platform/DrawingLock.h"
#include "platform/LocalPath.h"

namespace {

// How often waiting files look again whether the running command has ended.
constexpr int kRetryMs = 100;

bool CommandRunning(const MDIForm1& frame) {
  return frame.ControlsDisabled()                    // a file command's controls are off
         || LongOperation::Running()               // a print, a save or an open goes on
         || QApplication::activeModalWidget()      // a box or dialog is open
         || QApplication::activePopupWidget()      // a menu is open
         || IsDrawingLocked();                     // windows are being rebuilt or moved
}

// The local files among `urls`; other addresses cannot be opened. A path is
// taken as the bytes its address spells (percent-encoded bytes that are not
// UTF-8 stay those bytes), not as QUrl::toLocalFile reads it, which turns
// them into U+FFFD and loses the file.
QStringList LocalFiles(const QList<QUrl>& urls) {
  QStringList paths;
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!bytes.isEmpty()) paths << QDir::cleanPath(DecodeLocalPath(bytes));
  }
  return paths;
}

// A drop is a copy: the frame opens the files and the program they came from
// must keep them. Copy is taken where the source offers it, else a link
// (which leaves the file as well); a source that offers only Move is
// refused, since it would delete what it gave. The proposed action is never
// taken as it stands: a source offering Copy and Move may propose Move.
bool AcceptAsCopy(QDropEvent* event) {
  const Qt::DropActions offered = event->possibleActions();
  if (LocalFiles(event->mimeData()->urls()).isEmpty()) {
    event->ignore();
    return false;
  }
  if (offered & Qt::CopyAction) {
    event->setDropAction(Qt::CopyAction);
  } else if (offered & Qt::LinkAction) {
    event->setDropAction(Qt::LinkAction);
  } else {
    event->ignore();
    return false;
  }
  event->accept();
  return true;
}

// Holds the frame's arrangement back while windows are made, at most for as
// long as it lives; releasing it (under the drawing lock) arranges the
// windows made meanwhile.
class ArrangementHold {
 public:
  explicit ArrangementHold(MDIForm1& frame) : frame_(frame) {}
  ~ArrangementHold() { Release(); }
  ArrangementHold(const ArrangementHold&) = delete;
  ArrangementHold& operator=(const ArrangementHold&) = delete;

  void Hold() {
    if (!held_) frame_.HoldArrangement();
    held_ = true;
  }
  void Release() {
    if (std::exchange(held_, false)) frame_.ReleaseArrangement();
  }
  bool Held() const { return held_; }

 private:
  MDIForm1& frame_;
  bool held_ = false;
};

// Opens `paths` as one command. The windows are made in order and arranged
// once, the last one leftmost; only a file that is slow to read has the
// windows made before it arranged first, since the frame paints while it is
// read. The reports come after, over the arranged frame, which paints while
// they are up: one for each file that could not be read, and one for the
// file whose reading was cancelled (the files after it are not opened).
// Nothing more is made or shown once the frame has closed.
void OpenBatch(MDIForm1& frame, const QStringList& paths) {
  QStringList unreadable;
  QString cancelled;
  bool frameClosed = false;
  {
    ArrangementHold hold(frame);
    const auto arrangeSoFar = [&] {
      if (!hold.Held()) return;
      const DrawingLockGuard lock(&frame);
      frame.WinOrgNoCngWinOrder();
      hold.Release();
    };
    ProgramReading reading(frame, int(paths.size()));
    for (const QString& path : paths) {
      TextStore text;
      const ProgramReading::Outcome outcome = reading.Read(path, text, arrangeSoFar);
      if (outcome == ProgramReading::Outcome::kRead) {
        const DrawingLockGuard lock(&frame);
        hold.Hold();
        MakeProgramWindow(frame, path, text);
        continue;
      }
      if (outcome == ProgramReading::Outcome::kUnreadable) {
        unreadable << path;
        continue;
      }
      frameClosed = outcome == ProgramReading::Outcome::kFrameClosed;
      if (!frameClosed) cancelled = path;
      break;
    }
    reading.End();
    const DrawingLockGuard lock(&frame);
    hold.Release();
  }
  if (frameClosed) return;
  for (const QString& path : unreadable) ReportUnreadableFile(frame, path);
  if (!cancelled.isEmpty()) ReportCancelledOpen(frame, cancelled);
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
      OpenBatch(frame_, paths);
    }
    // Files handed over while a report of this command was open.
    if (!pending_.isEmpty()) timer_.start(0);
  }

  MDIForm1& frame_;
  QStringList pending_;
  QTimer timer_;
};

void MDIForm1::OpenFromOutside(const QStringList& paths) {
  if (paths.isEmpty()) return;
  if (!outsideFiles_) outsideFiles_ = new OutsideOpenQueue(*this);
  outsideFiles_->Add(paths);
}

void MDIForm1::dragEnterEvent(QDragEnterEvent* event) { AcceptAsCopy(event); }

void MDIForm1::dragMoveEvent(QDragMoveEvent* event) { AcceptAsCopy(event); }

void MDIForm1::dropEvent(QDropEvent* event) {
  if (!AcceptAsCopy(event)) return;
  // Opened after the drop has returned: the program the files came from
  // waits for its end, and a report must not keep it waiting.
  OpenFromOutside(LocalFiles(event->mimeData()->urls()));
}
