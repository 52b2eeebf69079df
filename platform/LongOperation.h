#pragma once
// A long operation on the user-interface thread that keeps the frame alive:
// the operation does its work in small steps and calls Continue after each;
// every kSliceMs Continue turns the event loop once, so that the frame paints
// and answers keys, and an operation that has run for kProgressAfterMs shows
// a progress box over the frame whose "中止" stops it. One runs at a time:
// its turns of the event loop must not start another (Running).

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <functional>

class QProgressDialog;
class QWidget;

class LongOperation {
 public:
  // The box is titled `title` and belongs to `frame`; `label` gives its text
  // whenever it is shown or updated.
  LongOperation(QWidget* frame, QString title, std::function<QString()> label);
  ~LongOperation();
  LongOperation(const LongOperation&) = delete;
  LongOperation& operator=(const LongOperation&) = delete;

  // Whether a long operation is running.
  static bool Running();

  // After a step: `done` of `total` (any unit) is done. False once the user
  // has cancelled or the frame has been closed or destroyed: the operation
  // then stops and undoes what it began, and may go on calling Continue
  // meanwhile, which still turns the event loop.
  bool Continue(int64_t done, int64_t total);
  // Removes the box: nothing is left to cancel (the operation's last step,
  // such as handing a job over, may still turn the event loop).
  void EndProgress();

  bool Cancelled() const { return cancelled_; }
  // The frame was shown when the operation began and is closed now.
  bool FrameClosed() const;

  static constexpr qint64 kProgressAfterMs = 500;
  static constexpr qint64 kSliceMs = 25;

 private:
  QPointer<QWidget> frame_;
  bool frameShown_;
  QString title_;
  std::function<QString()> label_;
  QElapsedTimer clock_;
  qint64 lastTurn_ = 0;
  QPointer<QProgressDialog> box_;
  bool cancelled_ = false;
  bool stopped_ = false;
};
