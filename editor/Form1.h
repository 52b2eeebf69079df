#pragma once
// The editor window: one open program in a child window of the frame. It holds
// the program text control RichTextBox1 and the state record that the frame's
// commands read and write by member name. It never reaches into the frame:
// what the frame shows of it (the caret's line, the mode text) and what the
// frame must do for it (re-arrange, count it out) it announces by signals.
//
// The window changes its own state; the record's members that others read
// are read-only names for it. The commands that act on one window (undo,
// redo, cut, copy, paste, save, save as, the two prints) are its operations;
// the frame's handlers find the active window and call them.
//
// Members are defined in these files:
//   editor/Form1.cpp          life cycle (load, activate, resize, unload)
//   editor/SizeMoveHook.cpp   drawing lock while the user moves or sizes it
//   editor/Modes.cpp          the mode machine: entering each mode, and the
//                             procedures that enter and leave line edit and
//                             confirmation
//   editor/EditCommands.cpp   undo, redo, cut, copy, paste
//   editor/Save.cpp           save and save as
//   editor/Print.cpp          the two printed listings
//   editor/Mouse.cpp          mouse and caret-line handlers
//   editor/KeyDown.cpp        the key handler, one function per key group
//   editor/KeyPress.cpp       the character filter

#include <QMdiSubWindow>
#include <cstdint>

#include "edit/EditHistory.h"
#include "editor/EditorMode.h"

class CommonDialog;
class RichTextBox;
class Services;
class SizeMoveHook;

class Form1 : public QMdiSubWindow {
  Q_OBJECT

  // Declared first: the read-only names of the state record refer to them.
  EditorMode mode_ = EditorMode::kBrowse;
  int16_t editFlag_ = 0;
  int16_t editDoneFlag_ = 0;
  EditHistory history_;
  int16_t exFocused_ = 0;
  int16_t meExiting_ = 0;

 public:
  // `services` answers the window's own message (input-method keys refused).
  explicit Form1(Services& services);
  ~Form1() override;

  // --- state record; all start at 0 or "" ---
  const int16_t& ExFocused = exFocused_;  // active when an arrangement began
  const int16_t& MeExiting = meExiting_;  // 1 once the window has started closing
  const int16_t& EditFlag = editFlag_;          // 1 in line-edit mode
  const int16_t& EditDoneFlag = editDoneFlag_;  // 1 in confirmation mode
  // The undo and redo records (see EditHistory).
  const TextStore& UndoText = history_.undoText();
  const int32_t& UndoStartPos = history_.undoStartPos();
  const TextStore& RedoText = history_.redoText();
  const int32_t& RedoStartPos = history_.redoStartPos();
  const int16_t& RedoUndoFlag = history_.redoUndoFlag();
  const int16_t& EditingStartedFlag = history_.editingStartedFlag();

  RichTextBox* RichTextBox1 = nullptr;

  // --- window properties ---
  QString Caption() const;
  void SetCaption(const QString& caption);
  bool Visible() const { return isVisible(); }
  void SetVisible(bool visible);
  int Left() const { return x(); }
  int Top() const { return y(); }
  // Client area in pixels; 0 while minimised.
  int ScaleWidth() const;
  int ScaleHeight() const;
  // Makes this the active child window of its area and raises it.
  void SetFocus();

  // --- the arrangement's marks ---
  // The frame's arrangement notes the window that was active when it began
  // (ExFocused), to give it the focus back at its end.
  void MarkFocusedBeforeArrangement(bool focused) { exFocused_ = focused ? 1 : 0; }
  // The window has started closing (MeExiting): arrangements pass it over.
  void MarkExiting() { meExiting_ = 1; }

  // --- modes (editor/Modes.cpp) ---
  // No line edit is open and none waits for confirmation.
  bool NoLineEditPending() const { return EditFlag != 1 && EditDoneFlag != 1; }
  // Browse mode with nothing selected: what saving, printing, undo, redo,
  // paste and move-left need.
  bool BrowsingWithoutSelection() const;

  EditorMode mode() const { return mode_; }

  // --- history and edit commands (editor/EditCommands.cpp) ---
  const EditHistory& history() const { return history_; }
  // Shows `text` as the window's program, captioned `caption` (its path, or
  // "新規"): what the window holds as it is opened, or as move-left carries
  // a program over. Undo returns to this text, caret at the top.
  void LoadProgram(const QString& caption, const TextStore& text);
  // Takes over another window's whole history (move-left).
  void CopyHistoryFrom(const EditHistory& other) { history_.CopyFrom(other); }
  // Back to the text before the latest change, or forward to the one after
  // it; either way in browse mode with the caret where the record has it.
  void Undo();
  void Redo();
  // The selected lines; Cut also removes them, as a change that undo reverts.
  QString Copy() const;
  QString Cut();
  // Inserts `lines` in front of the caret's line, selected, as a change.
  void Paste(const QString& lines);

  // --- file commands (editor/Save.cpp, editor/Print.cpp): each asks what
  // it must, does its work and reports it in a message box; the frame has
  // its controls off meanwhile. Each returns whether the window takes the
  // focus back afterwards. ---
  // Writes the program to the path in the caption, once the user agrees.
  // The write is a long operation that can be cancelled (LongOperation).
  // False when the window was closed meanwhile.
  bool Save();
  // Writes the program to a path chosen in `dialog`, once the user agrees,
  // and takes that path as the caption, as Save writes. False when the
  // dialog was cancelled (the focus stays where the dialog left it) or the
  // window was closed meanwhile.
  bool SaveAs(CommonDialog& dialog);
  // Prints the program on the default printer as a one-column or a
  // two-column listing; the job shows its progress and can be cancelled.
  // Not while another long operation runs (LongOperation). False when the window
  // or the frame was closed meanwhile.
  bool PrintListing(bool twoColumn);

  // --- life cycle (editor/Form1.cpp) ---
  void Form_Load();
  void Form_Activate();
  void Form_Resize();
  // Closes the window (never refused); also called directly by move-left.
  // Safe to run twice.
  void Form_Unload();

  // --- keyboard (editor/KeyDown.cpp, editor/KeyPress.cpp) ---
  void RichTextBox1_KeyDown(int16_t& KeyCode, int16_t Shift);
  void RichTextBox1_KeyPress(int16_t& KeyAscii);

  // --- mouse and caret line (editor/Mouse.cpp) ---
  void RichTextBox1_SelChange();
  void RichTextBox1_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void RichTextBox1_MouseUp(int16_t Button, int16_t Shift, float X, float Y);

  // The window's current mode text, shown in status-bar panel 2 while active.
  const QString& modeText() const { return ModeTextOf(mode_); }
  int32_t confirmStartPos() const { return ConfirmStartPos; }
  int32_t confirmLength() const { return ConfirmLength; }

 signals:
  // Status-bar texts: the caret's line (" 12行目") and the mode text. Once
  // per user step at most; a mode text is always followed by the caret's
  // line, which ends what the window has to tell.
  void CaretLineShown(const QString& lineText);
  void ModeTextShown(const QString& modeText);
  // The window's size changed: the windows may need arranging again.
  void Resized();
  // The user has moved or sized the window by its frame: the windows must
  // stand on their places again.
  void Moved();
  // The window starts to close (unload).
  void Unloading();
  // The window has stopped being one of the loaded windows: sent once, at its
  // first unload, or as it is destroyed when it never unloaded.
  void Unloaded();

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // --- the mode machine (editor/Modes.cpp) ---
  // The one place a mode is entered: flags, mouse, mode text (announced by
  // ModeTextShown for the status bar) and accessible description.
  void EnterMode(EditorMode mode);
  // After an insertion or a removal at the caret: the caret's line red, line
  // edit on.
  void StartLineEdit();
  void StartLineEditAfterDelete();
  void CommitEditLine();
  void EndConfirmMode();
  // The text as it stands now is what undo returns to.
  void RecordBefore();
  // Writes the program to `path` as a long operation; true when written.
  // A failure or a cancel is reported; a frame closed meanwhile is not.
  bool WriteProgram(const QString& path);
  // Takes the undo snapshot unless a line edit is already open.
  void TakeUndoSnapshot();
  // Types one character at the caret and starts or continues the line edit.
  void TypeCharacter(QChar character);
  // Undo and redo leave an open line edit or confirmation for browse mode.
  void LeaveLineEditing();
  // The window's text as it stands now is what redo returns to, with `caret`.
  void RecordAfter(int32_t caret);

  // --- the key groups of the key handler (editor/KeyDown.cpp); each returns
  // whether it took the key, so that the control does not act on it ---
  bool KeyDownHandled(int16_t code, int16_t shift);
  bool BackspaceKey();
  bool DeleteKey();
  bool EnterKey();
  bool OpenLineAboveCaret();
  bool CommitKey();
  bool LeftKey();
  bool RightKey();
  bool InputMethodKey();
  bool LetterKey(int16_t code);

  // A user step: a key, a mouse press or release, an edit command. The
  // selection calls and mode changes inside it are told to the frame once,
  // at its end, so that the status bar and the menus are set once per step.
  class Step {
   public:
    explicit Step(Form1& form) : form_(form) { ++form_.stepDepth_; }
    ~Step() {
      if (--form_.stepDepth_ == 0) form_.Announce();
    }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

   private:
    Form1& form_;
  };
  // Tells the frame what changed, unless a step is open (editor/Mouse.cpp):
  // the mode text if the mode was entered, then the caret's line, after which
  // the frame sets its menus.
  void Announce();
  // Routes the control's events to the handlers above (editor/ControlEvents.cpp).
  void ConnectControlEvents();
  // The window whose drawing the editor's changes lock: the frame it lives in.
  QWidget* LockTarget() { return window(); }

  int32_t ConfirmStartPos = 0;  // start of the text the latest commit put in
  int32_t ConfirmLength = 0;    // its length

  Services& services_;
  SizeMoveHook* hook_ = nullptr;  // installed at load, removed at unload
  bool unloading_ = false;        // Form_Unload has run its first part
  bool unloaded_ = false;         // Unloaded has been sent
  int stepDepth_ = 0;             // user steps open (see Step)
  bool modeDue_ = false;          // a mode was entered and not yet told
  bool caretDue_ = false;         // the selection changed and was not yet told
  bool inCloseEvent_ = false;
};
