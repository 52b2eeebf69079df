#pragma once
// What assistive technology (a screen reader, a braille display) sees of the
// program text control: an editable multi-line text whose name is the caption
// of its editor window and whose description is the window's mode text; the
// text, caret and selection through Qt's text interface, in the control's own
// offsets (a CR LF line break counts two); and an event for every change of
// text, caret or selection.
//
// Programs run to hundreds of MB, so nothing here copies the whole text unless
// a client asks for all of it: lines are found through the control's line
// index, and words and characters are looked for in a few lines around the
// offset. The control builds its events only while someone listens.

#include <QAccessibleWidget>
#include <cstdint>
#include <memory>

class QAccessibleEvent;
class RichTextBox;
class TextWatcher;

class RichTextBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit RichTextBoxAccessible(RichTextBox* box);

  // The factory that QAccessible::installFactory takes.
  static QAccessibleInterface* Create(const QString& className, QObject* object);

  // --- events of the control ---
  // Whether the control should build events: an assistive technology is
  // active, or an observer is installed.
  static bool Listening();
  // An observer that sees every event of the control, whether or not a
  // platform bridge is active. Returns the one it replaces.
  using Observer = void (*)(QAccessibleEvent* event);
  static Observer SetObserver(Observer observer);
  // A watcher of the control's text that sends the events of every change
  // while someone listens.
  static std::unique_ptr<TextWatcher> WatchText(RichTextBox* box);
  // Caret or selection moved away from `anchor`..`caret`.
  static void SelectionMoved(RichTextBox* box, int32_t anchor, int32_t caret);

  // --- QAccessibleInterface ---
  void* interface_cast(QAccessible::InterfaceType type) override;
  QString text(QAccessible::Text type) const override;
  QAccessible::State state() const override;

  // --- QAccessibleTextInterface ---
  void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
  int selectionCount() const override;
  void addSelection(int startOffset, int endOffset) override;
  void removeSelection(int selectionIndex) override;
  void setSelection(int selectionIndex, int startOffset, int endOffset) override;
  int cursorPosition() const override;
  void setCursorPosition(int position) override;
  QString text(int startOffset, int endOffset) const override;
  QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                           int* startOffset, int* endOffset) const override;
  QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                          int* startOffset, int* endOffset) const override;
  QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                       int* endOffset) const override;
  int characterCount() const override;
  QRect characterRect(int offset) const override;
  int offsetAtPoint(const QPoint& point) const override;
  void scrollToSubstring(int startIndex, int endIndex) override;
  QString attributes(int offset, int* startOffset, int* endOffset) const override;

 private:
  RichTextBox* box() const;
  // The text next to `offset` by `boundary`: the unit before it (-1), at it
  // (0) or after it (1).
  QString Unit(int step, int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
               int* endOffset) const;
  QString LineUnit(int step, int32_t offset, int* startOffset, int* endOffset) const;
  // Moves an offset out of the middle of a CR LF pair or a surrogate pair.
  int32_t Snap(int offset) const;
  class Announcer;
  // Assistive technology moves the caret like the user's own caret keys; while
  // the mouse is shut out of the control (a line edit is open) it cannot.
  bool SelectionLocked() const;
};
