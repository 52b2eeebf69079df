#pragma once
// The program text control of an editor window. It shows one RichTextModel,
// never wraps, paints only the visible lines, and reports keys and mouse
// presses to its owner through the callbacks below, in the order the editor
// relies on:
//   key-down (Windows virtual-key code, by reference; 0 cancels the key: the
//   control does nothing with it and no character follows), then the
//   control's own action (caret moves), then key-press for each typed
//   character (character code, by reference; 0 drops it, otherwise the
//   control inserts it).
// Input-method compositions and commits arrive as key-down 229 and are never
// inserted. Selection change follows every change of caret or selection,
// programmatic ones included.

#include <QAbstractScrollArea>
#include <QRgb>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "control/RichTextModel.h"

class QTimer;

class RichTextBox : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit RichTextBox(QWidget* parent = nullptr);
  ~RichTextBox() override;

  // --- the control's members, as the editor names them ---
  // The whole text as one string, for the callers that need one.
  QString Text() const { return model_.store().toString(); }
  // The whole text as a value that shares its storage: what undo and redo
  // keep. Copying it costs nothing.
  const TextStore& Snapshot() const { return model_.store(); }
  // Replaces the whole text.
  void SetText(const TextStore& text);
  void SetText(const QString& text) { SetText(TextStore(text)); }
  int32_t SelStart() const { return model_.selStart(); }
  void SetSelStart(int32_t offset);
  int32_t SelLength() const { return model_.selLength(); }
  void SetSelLength(int32_t length);
  QString SelText() const { return model_.selText(); }
  void SetSelText(const QString& text);
  // Replaces the selection with `text` in `color`, as one change.
  void SetSelText(const QString& text, QRgb color);
  void SetSelColor(QRgb color);
  int32_t GetLineFromChar(int32_t offset) const { return model_.lineFromChar(offset); }

  // --- reading the text without copying it whole ---
  int32_t Length() const { return model_.length(); }
  // The character at `offset`, or QChar() outside the text.
  QChar CharAt(int32_t offset) const { return model_.charAt(offset); }
  // The text of [start, start + length), clamped to the text.
  QString TextRange(int32_t start, int32_t length) const { return model_.range(start, length); }
  // Program line `number` (from 1), as GetProgramLine finds it in Text().
  LineInfo Line(int32_t number) const { return model_.line(number); }

  // 0: normal mouse handling; 1: mouse presses neither move the caret nor
  // select, and no mouse events are reported.
  int16_t DragMode() const { return dragMode_; }
  void SetDragMode(int16_t mode);
  void SetFocus();
  // Size in pixels.
  int Height() const { return height(); }
  void SetHeight(int height);
  int Width() const { return width(); }
  void SetWidth(int width);

  // Events. Shift is the modifier state: 1 Shift, 2 Ctrl, 4 Alt.
  // Button: 1 left, 2 right, 4 middle. X and Y in pixels within the control.
  std::function<void(int16_t& keyCode, int16_t shift)> KeyDown;
  std::function<void(int16_t& keyAscii)> KeyPress;
  std::function<void()> SelChange;
  std::function<void(int16_t button, int16_t shift, float x, float y)> MouseDown;
  std::function<void(int16_t button, int16_t shift, float x, float y)> MouseUp;

  const RichTextModel& model() const { return model_; }
  QRgb ColorAt(int32_t offset) const { return model_.colorAt(offset); }

  // The Windows virtual-key code for a Qt key (0 for keys without one); the
  // modifiers tell the keys of the numeric keypad apart.
  static int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

 protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  class View;
  friend class View;
  // Reads the layout and moves the caret for assistive technology.
  friend class RichTextBoxAccessible;

  // Caret and anchor before a change, to tell whether the selection moved.
  struct Selection {
    int32_t anchor;
    int32_t caret;
  };
  Selection CurrentSelection() const { return {model_.anchor(), model_.caret()}; }
  // After a change of the model: repaint, update the scroll ranges when the
  // text changed, keep the caret in view and report a selection change.
  void Finish(Selection before, bool textChanged);
  // Replaces the selection with `text` (the path of SetSelText and of typed
  // characters).
  void ReplaceSelection(QStringView text);
  // Tells assistive technology where caret and selection ended up, once the
  // event that moved them is done: the editor's commands select and colour
  // whole lines on the way, and those steps are no more to be read out than
  // they are shown.
  void AnnounceSelection();

  // Keys: the control's own caret moves for a virtual-key code.
  void MoveCaret(int code, Qt::KeyboardModifiers modifiers);
  void MoveCaretTo(int32_t offset, bool extend);
  void Select(int32_t anchor, int32_t caret);
  void MoveCaretVertically(int32_t lines, bool extend);

  // Mouse: with DragMode 1 presses, moves and releases do nothing.
  bool MouseShutOut() const { return dragMode_ == 1; }
  // Modifier state as the events report it: 1 Shift, 2 Ctrl, 4 Alt.
  static int16_t ShiftState(Qt::KeyboardModifiers modifiers);
  int32_t OffsetAtViewportPoint(QPointF point) const;
  // The offset in `line` under viewport x.
  int32_t OffsetInLine(int32_t line, qreal x) const;
  // A drag with the left button: the selection follows the pointer at
  // `point` (viewport coordinates). Past the top or bottom edge it stops at
  // the edge line and the drag scroller takes over.
  void DragTo(QPointF point);
  // One step of the drag scroller: the view scrolls towards the pointer,
  // further the farther the pointer is outside, and the selection follows.
  void DragScrollStep();
  // Ends a drag selection and its scrolling.
  void EndDrag();

  // Geometry and scrolling.
  void UpdateScrollRanges();
  void EnsureCaretVisible();
  int LineHeight() const;
  int VisibleLineCount() const;  // whole lines that fit in the viewport
  QRectF CaretRect() const;      // in viewport coordinates

  RichTextModel model_;
  int16_t dragMode_ = 0;
  bool dragging_ = false;
  QPointF dragPoint_;             // the pointer during a drag, in viewport coordinates
  QTimer* dragScroll_ = nullptr;  // steps while the pointer is above or below the text
  std::optional<qreal> goalX_;  // x that Up/Down keep, while they repeat
  // Width of the text in pixels as far as painting and caret moves have
  // measured it, beyond the estimate from the longest line; kept until the
  // whole text is replaced.
  int measuredWidth_ = 0;
  // Caret and selection as assistive technology last heard of them.
  Selection announced_{0, 0};
  bool announcing_ = false;  // an announcement is queued
  void WidenTo(int contentWidth);
  std::unique_ptr<View> view_;
  // Tells assistive technology of every change of the text.
  std::unique_ptr<TextWatcher> announcer_;
};
