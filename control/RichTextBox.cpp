// The program text control: its members, the bookkeeping after every change
// (repaint, scroll ranges, selection change) and scrolling. Keys, the mouse and
// painting have files of their own.

#include "control/RichTextBox.h"

#include <QEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

#include "control/ProgramFont.h"
#include "control/RichTextBoxAccessible.h"
#include "control/RichTextBoxView.h"

RichTextBox::RichTextBox(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(ProgramFont(12));
  view_ = std::make_unique<View>(*this, font());
  model_.addWatcher(view_.get());
  announcer_ = RichTextBoxAccessible::WatchText(this);
  model_.addWatcher(announcer_.get());
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAcceptDrops(false);
  viewport()->setAcceptDrops(false);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  verticalScrollBar()->setSingleStep(1);
  UpdateScrollRanges();
}

RichTextBox::~RichTextBox() {
  model_.removeWatcher(announcer_.get());
  model_.removeWatcher(view_.get());
}

// --- members ---

void RichTextBox::SetText(const TextStore& text) {
  const Selection before = CurrentSelection();
  model_.setText(text);
  measuredWidth_ = 0;
  horizontalScrollBar()->setValue(0);
  verticalScrollBar()->setValue(0);
  Finish(before, true);
}

void RichTextBox::SetSelStart(int32_t offset) {
  const Selection before = CurrentSelection();
  model_.setSelStart(offset);
  Finish(before, false);
}

void RichTextBox::SetSelLength(int32_t length) {
  const Selection before = CurrentSelection();
  model_.setSelLength(length);
  Finish(before, false);
}

void RichTextBox::SetSelText(const QString& text) { ReplaceSelection(text); }

void RichTextBox::ReplaceSelection(QStringView text) {
  const Selection before = CurrentSelection();
  const bool changes = model_.selLength() > 0 || !text.isEmpty();
  model_.setSelText(text);
  Finish(before, changes);
}

void RichTextBox::SetSelText(const QString& text, QRgb color) {
  const Selection before = CurrentSelection();
  const bool changes = model_.selLength() > 0 || !text.isEmpty();
  model_.replaceSelection(text, color);
  Finish(before, changes);
}

void RichTextBox::SetSelColor(QRgb color) {
  model_.setSelColor(color);
  if (model_.selLength() > 0) viewport()->update();
}

void RichTextBox::SetDragMode(int16_t mode) {
  dragMode_ = mode;
  // A drag selection in progress ends when the mouse is shut out.
  if (dragMode_ == 1) EndDrag();
}

void RichTextBox::SetFocus() { setFocus(Qt::OtherFocusReason); }

void RichTextBox::SetHeight(int height) { resize(width(), height); }

void RichTextBox::SetWidth(int width) { resize(width, height()); }

// --- bookkeeping ---

void RichTextBox::Finish(Selection before, bool textChanged) {
  const bool selectionChanged =
      before.anchor != model_.anchor() || before.caret != model_.caret();
  if (textChanged) UpdateScrollRanges();
  if (selectionChanged) goalX_.reset();
  if (textChanged || selectionChanged) {
    EnsureCaretVisible();
    viewport()->update();
  }
  if (selectionChanged && !announcing_ && RichTextBoxAccessible::Listening()) {
    announcing_ = true;
    QMetaObject::invokeMethod(this, &RichTextBox::AnnounceSelection, Qt::QueuedConnection);
  }
  if (selectionChanged && SelChange) SelChange();
}

void RichTextBox::AnnounceSelection() {
  announcing_ = false;
  if (!RichTextBoxAccessible::Listening()) return;
  RichTextBoxAccessible::SelectionMoved(this, announced_.anchor, announced_.caret);
  announced_ = CurrentSelection();
}

// --- geometry and scrolling ---

int RichTextBox::LineHeight() const { return view_->LineHeight(); }

int RichTextBox::VisibleLineCount() const {
  return std::max(1, viewport()->height() / LineHeight());
}

void RichTextBox::UpdateScrollRanges() {
  QScrollBar* vertical = verticalScrollBar();
  const int lines = VisibleLineCount();
  vertical->setPageStep(lines);
  vertical->setRange(0, std::max(0, model_.lineCount() - lines));

  QScrollBar* horizontal = horizontalScrollBar();
  const qint64 estimate = static_cast<qint64>(
      std::ceil(static_cast<double>(model_.maxLineLength()) * view_->AverageAdvance()));
  const qint64 width = std::max<qint64>(
      measuredWidth_, std::min<qint64>(estimate + 2 * View::kMargin + View::kCaretWidth,
                                       std::numeric_limits<int>::max() / 2));
  const int viewWidth = viewport()->width();
  horizontal->setPageStep(std::max(1, viewWidth));
  horizontal->setSingleStep(std::max(1, static_cast<int>(view_->AverageAdvance())));
  horizontal->setRange(0, std::max<int>(0, static_cast<int>(width) - viewWidth));
}

QRectF RichTextBox::CaretRect() const {
  const int32_t line = model_.lineFromChar(model_.caret());
  const qreal x = view_->XOf(line, model_.caret());
  const int y = (line - verticalScrollBar()->value()) * LineHeight();
  return QRectF(View::kMargin + x - horizontalScrollBar()->value(), y, View::kCaretWidth,
                LineHeight());
}

void RichTextBox::EnsureCaretVisible() {
  const int32_t line = model_.lineFromChar(model_.caret());
  QScrollBar* vertical = verticalScrollBar();
  const int lines = VisibleLineCount();
  if (line < vertical->value()) {
    vertical->setValue(line);
  } else if (line >= vertical->value() + lines) {
    vertical->setValue(line - lines + 1);
  }

  QScrollBar* horizontal = horizontalScrollBar();
  const int viewWidth = viewport()->width();
  const qreal x = view_->XOf(line, model_.caret());
  const int left = static_cast<int>(std::floor(x));
  const int right = static_cast<int>(std::ceil(x)) + 2 * View::kMargin + View::kCaretWidth;
  WidenTo(right);
  if (left < horizontal->value()) {
    horizontal->setValue(std::max(0, left - viewWidth / 4));
  } else if (right > horizontal->value() + viewWidth) {
    horizontal->setValue(right - viewWidth + viewWidth / 4);
  }
}

void RichTextBox::scrollContentsBy(int, int) { viewport()->update(); }

void RichTextBox::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRanges();
}

void RichTextBox::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange && view_) {
    view_->SetFont(font());
    UpdateScrollRanges();
    viewport()->update();
  }
}

void RichTextBox::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void RichTextBox::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  // A popup or another window took the focus and with it the mouse: the
  // release may never come here, so the drag ends now.
  EndDrag();
  viewport()->update();
}

// --- painting ---

void RichTextBox::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const bool showCaret = hasFocus() && model_.selLength() == 0;
  const qreal widest = view_->Paint(painter, viewport()->size(), verticalScrollBar()->value(),
                                    horizontalScrollBar()->value(), showCaret);
  // A line of wide characters may reach past the estimated width.
  WidenTo(static_cast<int>(std::ceil(widest)) + 2 * View::kMargin + View::kCaretWidth);
}

void RichTextBox::WidenTo(int contentWidth) {
  if (contentWidth <= measuredWidth_) return;
  measuredWidth_ = contentWidth;
  QScrollBar* horizontal = horizontalScrollBar();
  const int maximum = contentWidth - viewport()->width();
  if (maximum > horizontal->maximum()) horizontal->setMaximum(maximum);
}

// The meta-object code goes into this file's object, so that linking the
// control does not pull in the meta-objects of every other window class.
#include "moc_RichTextBox.cpp"
