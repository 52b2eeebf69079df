// The mouse on the program text control: a press reports mouse-down and then
// places the caret, a drag with the left button selects, a release reports
// mouse-up. While DragMode is 1 the mouse is shut out entirely.
//
// While a drag holds the pointer above or below the text, a timer scrolls the
// view towards it and the selection follows, faster the farther out the
// pointer is; the wheel turned during a drag scrolls and the selection
// follows too. Either way the selection moves exactly as under a mouse move,
// so the owner sees the same selection changes and the same release.

#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "control/RichTextBox.h"
#include "control/RichTextBoxView.h"

namespace {

// Milliseconds between two steps of the drag scroller.
constexpr int kDragScrollInterval = 40;
// One step moves at most 2^16 lines.
constexpr int kDragScrollMaxDoublings = 16;

int16_t ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

// Lines one step of the drag scroller moves for a pointer `distance` pixels
// beyond the edge of the text: one line near the edge, twice as many for
// every line height further out. Within a line or two of the edge the text
// can still be read as it passes; the few hundred pixels that the frame's
// bars and the screen leave below a window cross a program of millions of
// lines within seconds.
int32_t DragScrollLines(qreal distance, int lineHeight) {
  const qreal doublings = std::max<qreal>(0, distance) / std::max(1, lineHeight);
  return static_cast<int32_t>(std::exp2(std::min<qreal>(doublings, kDragScrollMaxDoublings)));
}

}  // namespace

int32_t RichTextBox::OffsetInLine(int32_t line, qreal x) const {
  line = std::clamp(line, 0, model_.lineCount() - 1);
  return view_->OffsetAt(line, x - View::kMargin + horizontalScrollBar()->value());
}

int32_t RichTextBox::OffsetAtViewportPoint(QPointF point) const {
  const int32_t first = verticalScrollBar()->value();
  const int32_t row = static_cast<int32_t>(std::floor(point.y() / LineHeight()));
  return OffsetInLine(first + row, point.x());
}

void RichTextBox::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (MouseShutOut()) return;
  const QPointer<RichTextBox> alive(this);
  const QPointF inControl = event->position() + viewport()->pos();
  if (MouseDown) {
    MouseDown(ButtonCode(event->button()), ShiftState(event->modifiers()),
              static_cast<float>(inControl.x()), static_cast<float>(inControl.y()));
    if (!alive || MouseShutOut()) return;
  }
  if (event->button() != Qt::LeftButton) return;
  const int32_t offset = OffsetAtViewportPoint(event->position());
  MoveCaretTo(offset, event->modifiers() & Qt::ShiftModifier);
  dragging_ = true;
}

void RichTextBox::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (MouseShutOut() || !dragging_ || !(event->buttons() & Qt::LeftButton)) return;
  DragTo(event->position());
}

void RichTextBox::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) EndDrag();
  if (MouseShutOut()) return;
  if (MouseUp) {
    const QPointF inControl = event->position() + viewport()->pos();
    MouseUp(ButtonCode(event->button()), ShiftState(event->modifiers()),
            static_cast<float>(inControl.x()), static_cast<float>(inControl.y()));
  }
}

void RichTextBox::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void RichTextBox::wheelEvent(QWheelEvent* event) {
  QAbstractScrollArea::wheelEvent(event);
  // The selection of a drag follows the view the wheel has turned.
  if (dragging_ && !MouseShutOut()) DragTo(event->position());
}

void RichTextBox::DragTo(QPointF point) {
  dragPoint_ = point;
  const bool above = point.y() < 0;
  const bool below = point.y() >= viewport()->height();
  if (!above && !below) {
    // Within the text (a line cut off at the bottom included) the caret goes
    // to the point; on a partly shown line that scrolls it into view.
    if (dragScroll_) dragScroll_->stop();
    MoveCaretTo(OffsetAtViewportPoint(point), true);
    return;
  }
  if (!dragScroll_) {
    dragScroll_ = new QTimer(this);
    dragScroll_->setObjectName(QStringLiteral("dragScroll"));
    dragScroll_->setInterval(kDragScrollInterval);
    connect(dragScroll_, &QTimer::timeout, this, &RichTextBox::DragScrollStep);
  }
  if (dragScroll_->isActive()) {
    // Between two steps the selection keeps to the edge line and follows x.
    const int32_t top = verticalScrollBar()->value();
    MoveCaretTo(OffsetInLine(above ? top : top + VisibleLineCount() - 1, point.x()), true);
    return;
  }
  dragScroll_->start();
  DragScrollStep();  // the first step at once, without waiting for the timer
}

void RichTextBox::DragScrollStep() {
  if (!dragging_ || MouseShutOut() || !isVisible()) {
    EndDrag();
    return;
  }
  const int height = viewport()->height();
  const qreal y = dragPoint_.y();
  if (y >= 0 && y < height) {
    dragScroll_->stop();
    return;
  }
  const int32_t top = verticalScrollBar()->value();
  const int32_t line =
      y < 0 ? top - DragScrollLines(-y, LineHeight())
            : top + VisibleLineCount() - 1 + DragScrollLines(y - height, LineHeight());
  // The caret goes beyond the edge, and keeping it in view scrolls.
  MoveCaretTo(OffsetInLine(line, dragPoint_.x()), true);
}

void RichTextBox::EndDrag() {
  dragging_ = false;
  if (dragScroll_) dragScroll_->stop();
}
