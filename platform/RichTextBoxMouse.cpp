// The mouse on the program text control: a press reports mouse-down and then
// places the caret, a drag with the left button selects, a release reports
// mouse-up. While DragMode is 1 the mouse is shut out entirely.

#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>

#include "platform/RichTextBox.h"
#include "platform/RichTextBoxView.h"

namespace {

int16_t ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

}  // namespace

int32_t RichTextBox::OffsetAtViewportPoint(QPointF point) const {
  const int32_t first = verticalScrollBar()->value();
  const int32_t row = static_cast<int32_t>(std::floor(point.y() / LineHeight()));
  const int32_t line = std::clamp(first + row, 0, model_.lineCount() - 1);
  const qreal x = point.x() - View::kMargin + horizontalScrollBar()->value();
  return view_->OffsetAt(line, x);
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
  // Past an edge the caret goes to the line or character beyond it, which
  // scrolls the view along.
  MoveCaretTo(OffsetAtViewportPoint(event->position()), true);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) dragging_ = false;
  if (MouseShutOut()) return;
  if (MouseUp) {
    const QPointF inControl = event->position() + viewport()->pos();
    MouseUp(ButtonCode(event->button()), ShiftState(event->modifiers()),
            static_cast<float>(inControl.x()), static_cast<float>(inControl.y()));
  }
}

void RichTextBox::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }
