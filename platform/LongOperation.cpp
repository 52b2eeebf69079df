#include "platform/LongOperation.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QWidget>
#include <algorithm>

namespace {

bool running = false;

// The box's bar counts in thousandths of the whole, so that any unit fits.
constexpr int kBarSteps = 1000;

int BarValue(int64_t done, int64_t total) {
  if (total <= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(done * kBarSteps / total, 0, kBarSteps));
}

}  // namespace

LongOperation::LongOperation(QWidget* frame, QString title, std::function<QString()> label)
    : frame_(frame), frameShown_(frame && frame->isVisible()), title_(std::move(title)),
      label_(std::move(label)) {
  Q_ASSERT(!running);
  running = true;
  clock_.start();
}

LongOperation::~LongOperation() {
  EndProgress();
  running = false;
}

bool LongOperation::Running() { return running; }

bool LongOperation::FrameClosed() const { return frameShown_ && (!frame_ || !frame_->isVisible()); }

bool LongOperation::Continue(int64_t done, int64_t total) {
  const qint64 now = clock_.elapsed();
  if (now - lastTurn_ < kSliceMs) return !stopped_;
  if (stopped_) {
    // What the operation still does to undo itself keeps the frame alive too.
    QCoreApplication::processEvents();
    lastTurn_ = clock_.elapsed();
    return false;
  }
  if (!box_ && now >= kProgressAfterMs) {
    box_ = new QProgressDialog(label_(), QStringLiteral("中止"), 0, kBarSteps, frame_);
    box_->setWindowTitle(title_);
    // Not modal: the frame goes on answering keys while the box shows.
    box_->setWindowModality(Qt::NonModal);
    box_->setAutoReset(false);
    box_->setAutoClose(false);
    box_->setMinimumDuration(0);
    box_->show();
  }
  if (box_) {
    box_->setLabelText(label_());
    box_->setValue(BarValue(done, total));
  }
  QCoreApplication::processEvents();
  lastTurn_ = clock_.elapsed();
  cancelled_ = box_ && box_->wasCanceled();
  stopped_ = cancelled_ || FrameClosed();
  return !stopped_;
}

void LongOperation::EndProgress() { delete box_; }
