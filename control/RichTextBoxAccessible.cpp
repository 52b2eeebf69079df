#include "control/RichTextBoxAccessible.h"

#include <QColor>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <utility>

#include "control/RichTextBox.h"
#include "control/RichTextBoxView.h"

namespace {

RichTextBoxAccessible::Observer observer = nullptr;

void Notify(QAccessibleEvent& event) {
  if (observer) observer(&event);
  if (QAccessible::isActive()) QAccessible::updateAccessibility(&event);
}

// Characters on either side of an offset that words and characters are looked
// for in: enough for any statement, and a line of many megabytes is not copied.
constexpr int32_t kUnitReach = 2048;

// A stretch of the text that Qt's own word, sentence and character boundaries
// are worked out in; only its text and length are ever asked for.
class Stretch : public QAccessibleTextInterface {
 public:
  explicit Stretch(QString text) : text_(std::move(text)) {}
  QString text(int start, int end) const override { return text_.mid(start, end - start); }
  int characterCount() const override { return static_cast<int>(text_.size()); }
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = *end = -1;
    return {};
  }

 private:
  QString text_;
};

}  // namespace

RichTextBoxAccessible::RichTextBoxAccessible(RichTextBox* box)
    : QAccessibleWidget(box, QAccessible::EditableText) {}

QAccessibleInterface* RichTextBoxAccessible::Create(const QString& className, QObject* object) {
  if (className != QLatin1String("RichTextBox")) return nullptr;
  if (auto* box = qobject_cast<RichTextBox*>(object)) return new RichTextBoxAccessible(box);
  return nullptr;
}

RichTextBox* RichTextBoxAccessible::box() const { return static_cast<RichTextBox*>(widget()); }

// --- events ---

bool RichTextBoxAccessible::Listening() { return observer || QAccessible::isActive(); }

RichTextBoxAccessible::Observer RichTextBoxAccessible::SetObserver(Observer next) {
  return std::exchange(observer, next);
}

// Sends the events of the control's text changes. The removed text is read
// before it goes, and nothing is read unless someone listens.
class RichTextBoxAccessible::Announcer : public TextWatcher {
 public:
  explicit Announcer(RichTextBox* box) : box_(box) {}

  void TextChanging(int32_t pos, int32_t removed, QStringView inserted) override {
    listening_ = Listening();
    if (!listening_) return;
    removed_ = box_->TextRange(pos, removed);
    inserted_ = inserted.toString();
  }

  void TextChanged(int32_t pos, int32_t, int32_t) override {
    if (!listening_) return;
    if (!removed_.isEmpty()) {
      QAccessibleTextRemoveEvent event(box_, pos, removed_);
      Notify(event);
    }
    if (!inserted_.isEmpty()) {
      QAccessibleTextInsertEvent event(box_, pos, inserted_);
      Notify(event);
    }
    removed_.clear();
    inserted_.clear();
  }

  void TextReplaced(const TextStore& before) override {
    if (!Listening()) return;
    // A control filled before it is first shown (a window being opened, or
    // re-created by move-left) has no reader to tell yet: clients read its
    // text when it appears, and the event would carry the whole program.
    if (before.isEmpty() && !box_->isVisible()) return;
    // Only the stretch that differs is told: undo and redo put back a program
    // of many megabytes that differs from the one shown by a line or a few,
    // and the two share all the rest.
    const TextStore& after = box_->Snapshot();
    const int32_t head = SharedPrefix(before, after);
    const int32_t tail = SharedSuffix(before, after, std::min(before.size(), after.size()) - head);
    QAccessibleTextUpdateEvent event(box_, head, before.mid(head, before.size() - head - tail),
                                     after.mid(head, after.size() - head - tail));
    event.setCursorPosition(box_->SelStart());
    Notify(event);
  }

 private:
  RichTextBox* box_;
  bool listening_ = false;
  QString removed_;
  QString inserted_;
};

std::unique_ptr<TextWatcher> RichTextBoxAccessible::WatchText(RichTextBox* box) {
  return std::make_unique<Announcer>(box);
}

void RichTextBoxAccessible::SelectionMoved(RichTextBox* box, int32_t anchor, int32_t caret) {
  const RichTextModel& model = box->model();
  if (model.caret() != caret) {
    QAccessibleTextCursorEvent event(box, model.caret());
    Notify(event);
  }
  // A selection that appears, changes or goes away; a bare caret move is
  // told by the cursor event alone.
  if (anchor != caret || model.selLength() > 0) {
    QAccessibleTextSelectionEvent event(box, model.selStart(),
                                        model.selStart() + model.selLength());
    event.setCursorPosition(model.caret());
    Notify(event);
  }
}

// --- the object ---

void* RichTextBoxAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QString RichTextBoxAccessible::text(QAccessible::Text type) const {
  switch (type) {
    case QAccessible::Name: {
      // The program's path (or "新規"), as the window's caption shows it.
      for (QWidget* w = widget()->parentWidget(); w; w = w->parentWidget()) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(w)) return window->windowTitle();
      }
      return widget()->accessibleName();
    }
    case QAccessible::Description:
      return widget()->accessibleDescription();
    default:
      return QAccessibleWidget::text(type);
  }
}

QAccessible::State RichTextBoxAccessible::state() const {
  QAccessible::State state = QAccessibleWidget::state();
  state.editable = true;
  state.focusable = true;
  state.multiLine = true;
  state.selectableText = true;
  return state;
}

// --- caret and selection ---

int32_t RichTextBoxAccessible::Snap(int offset) const {
  return SnapToCharacter(box()->Snapshot(), offset);
}

bool RichTextBoxAccessible::SelectionLocked() const { return box()->DragMode() == 1; }

int RichTextBoxAccessible::cursorPosition() const { return box()->model().caret(); }

void RichTextBoxAccessible::setCursorPosition(int position) {
  if (SelectionLocked()) return;
  box()->MoveCaretTo(Snap(position), false);
}

int RichTextBoxAccessible::selectionCount() const { return box()->SelLength() > 0 ? 1 : 0; }

void RichTextBoxAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
  *startOffset = *endOffset = 0;
  if (selectionIndex != 0 || box()->SelLength() == 0) return;
  *startOffset = box()->SelStart();
  *endOffset = box()->SelStart() + box()->SelLength();
}

void RichTextBoxAccessible::addSelection(int startOffset, int endOffset) {
  // The control holds one selection: a new one replaces it.
  setSelection(0, startOffset, endOffset);
}

void RichTextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
  if (selectionIndex != 0 || SelectionLocked()) return;
  box()->Select(Snap(startOffset), Snap(endOffset));
}

void RichTextBoxAccessible::removeSelection(int selectionIndex) {
  if (selectionIndex != 0 || SelectionLocked() || box()->SelLength() == 0) return;
  box()->MoveCaretTo(box()->model().caret(), false);
}

// --- text ---

int RichTextBoxAccessible::characterCount() const { return box()->model().length(); }

QString RichTextBoxAccessible::text(int startOffset, int endOffset) const {
  const int32_t length = box()->Length();
  const int32_t start = std::clamp<int32_t>(startOffset, 0, length);
  const int32_t end = endOffset < 0 ? length : std::clamp<int32_t>(endOffset, start, length);
  return box()->TextRange(start, end - start);
}

QString RichTextBoxAccessible::textBeforeOffset(int offset,
                                                QAccessible::TextBoundaryType boundaryType,
                                                int* startOffset, int* endOffset) const {
  return Unit(-1, offset, boundaryType, startOffset, endOffset);
}

QString RichTextBoxAccessible::textAfterOffset(int offset,
                                               QAccessible::TextBoundaryType boundaryType,
                                               int* startOffset, int* endOffset) const {
  return Unit(1, offset, boundaryType, startOffset, endOffset);
}

QString RichTextBoxAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const {
  return Unit(0, offset, boundaryType, startOffset, endOffset);
}

QString RichTextBoxAccessible::Unit(int step, int offset, QAccessible::TextBoundaryType boundary,
                                    int* startOffset, int* endOffset) const {
  const RichTextModel& model = box()->model();
  const int32_t length = model.length();
  *startOffset = *endOffset = -1;
  if (offset == -1) offset = length;  // the end of the text, by Qt's convention
  if (offset < 0 || offset > length) return {};

  switch (boundary) {
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:  // every line is a paragraph
      return LineUnit(step, offset, startOffset, endOffset);
    case QAccessible::NoBoundary:
      if (step != 0) return {};
      *startOffset = 0;
      *endOffset = length;
      return model.range(0, length);
    default:
      break;
  }

  // Characters, words and sentences: Qt's boundaries within the lines around
  // the offset, one line either side so that "before" and "after" can reach
  // into the neighbouring line, and no further than kUnitReach.
  const int32_t line = model.lineFromChar(offset);
  const int32_t from = std::max(model.lineStart(std::max(0, line - 1)), offset - kUnitReach);
  const int32_t nextLine = line + 1;
  const int32_t lineEnd = model.lineEnd(nextLine);
  const int32_t to = std::min(lineEnd, offset + kUnitReach);
  const Stretch stretch(model.range(from, to - from));
  int start = -1;
  int end = -1;
  QString unit;
  const int at = offset - from;
  if (step < 0) {
    unit = stretch.textBeforeOffset(at, boundary, &start, &end);
  } else if (step > 0) {
    unit = stretch.textAfterOffset(at, boundary, &start, &end);
  } else {
    unit = stretch.textAtOffset(at, boundary, &start, &end);
  }
  if (start >= 0) *startOffset = start + from;
  if (end >= 0) *endOffset = end + from;
  return unit;
}

QString RichTextBoxAccessible::LineUnit(int step, int32_t offset, int* startOffset,
                                        int* endOffset) const {
  const RichTextModel& model = box()->model();
  int32_t line = model.lineFromChar(offset) + step;
  if (line < 0 || line >= model.lineCount()) return {};
  // A line with its line break, as Qt's own text controls report it.
  const int32_t start = model.lineStart(line);
  const int32_t end = model.lineEnd(line);
  *startOffset = start;
  *endOffset = end;
  return model.range(start, end - start);
}

QString RichTextBoxAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
  const RichTextModel& model = box()->model();
  *startOffset = *endOffset = -1;
  if (offset < 0 || offset >= model.length()) return {};
  // The colour tells the edited line (red) and the text awaiting
  // confirmation (blue) from the rest.
  const ColorSpan span = model.colorSpanAt(offset);
  *startOffset = span.start;
  *endOffset = span.end;
  const QColor color = QColor::fromRgb(span.color);
  return QStringLiteral("color:rgb(%1,%2,%3);")
      .arg(color.red())
      .arg(color.green())
      .arg(color.blue());
}

// --- geometry ---

QRect RichTextBoxAccessible::characterRect(int offset) const {
  RichTextBox& control = *box();
  const RichTextModel& model = control.model();
  if (offset < 0 || offset > model.length()) return {};
  RichTextBox::View& view = *control.view_;
  const int32_t line = model.lineFromChar(offset);
  const qreal x = view.XOf(line, offset);
  // A line break or the end of the text takes one average character.
  const qreal width = offset < model.lineTextEnd(line)
                          ? view.XOf(line, StepRight(model.store(), offset)) - x
                          : view.AverageAdvance();
  const int lineHeight = control.LineHeight();
  const QRectF inViewport(RichTextBox::View::kMargin + x - control.horizontalScrollBar()->value(),
                          (line - control.verticalScrollBar()->value()) * lineHeight, width,
                          lineHeight);
  const QRect rect = inViewport.toAlignedRect();
  return QRect(control.viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int RichTextBoxAccessible::offsetAtPoint(const QPoint& point) const {
  RichTextBox& control = *box();
  const RichTextModel& model = control.model();
  const QPoint local = control.viewport()->mapFromGlobal(point);
  if (!control.viewport()->rect().contains(local)) return -1;
  const int32_t line = control.verticalScrollBar()->value() + local.y() / control.LineHeight();
  if (line >= model.lineCount()) return -1;
  // The control finds the nearest caret position; the character under the
  // point is the one that starts left of it.
  int32_t offset = control.OffsetAtViewportPoint(local);
  const qreal x = local.x() - RichTextBox::View::kMargin + control.horizontalScrollBar()->value();
  if (offset > model.lineStart(line) && control.view_->XOf(line, offset) > x) {
    offset = StepLeft(model.store(), offset);
  }
  return offset;
}

void RichTextBoxAccessible::scrollToSubstring(int startIndex, int) {
  RichTextBox& control = *box();
  const RichTextModel& model = control.model();
  const int32_t line = model.lineFromChar(std::clamp<int32_t>(startIndex, 0, model.length()));
  QScrollBar* vertical = control.verticalScrollBar();
  if (line < vertical->value() || line >= vertical->value() + control.VisibleLineCount()) {
    vertical->setValue(line);
  }
  const int x = static_cast<int>(std::floor(control.view_->XOf(line, startIndex)));
  QScrollBar* horizontal = control.horizontalScrollBar();
  if (x < horizontal->value() || x >= horizontal->value() + control.viewport()->width()) {
    horizontal->setValue(x);
  }
}
