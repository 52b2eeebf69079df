#pragma once
// The editor window: one open program in a child window of the frame. It holds
// the program text control RichTextBox1 and the state record that the frame's
// commands read and write by member name. It never reaches into the frame:
// what the frame shows of it (the caret's line, the mode text) and what the
// frame must do for it (re-arrange, count it out) it announces by signals.
//
// Members are defined in the files of the subsystem they belong to:
//   editor/Form1.cpp          life cycle (load, activate, resize, unload)
//   editor/SizeMoveHook.cpp   drawing lock while the user moves or sizes it
//   editor/Modes.cpp          entering and leaving line edit and confirmation
//   editor/History.cpp        recording the undo and redo texts
//   editor/Mouse.cpp          mouse and caret-line handlers
//   editor/KeyDown.cpp        the key handler
//   editor/KeyPress.cpp       the character filter

#include <QMdiSubWindow>
#include <cstdint>

#include "editor/EditHistory.h"

class RichTextBox;
class Services;
class SizeMoveHook;

class Form1 : public QMdiSubWindow, public EditHistory {
  Q_OBJECT

 public:
  // `services` answers the window's own message (input-method keys refused).
  explicit Form1(Services& services);
  ~Form1() override;

  // --- state record; all start at 0 or "" (the undo and redo members come
  // from EditHistory) ---
  int16_t ExFocused = 0;     // active when an arrangement began
  int16_t MeExiting = 0;     // 1 once the window has started closing
  int16_t EditFlag = 0;      // 1 in line-edit mode
  int16_t EditDoneFlag = 0;  // 1 in confirmation mode

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

  // --- modes (editor/Modes.cpp) ---
  // No line edit is open and none waits for confirmation.
  bool NoLineEditPending() const { return EditFlag != 1 && EditDoneFlag != 1; }
  // Browse mode with nothing selected: what saving, printing, undo, redo,
  // paste and move-left need.
  bool BrowsingWithoutSelection() const;

  // --- undo and redo records (editor/History.cpp) ---
  // The text as it stands now is what undo returns to.
  void RecordBefore();
  // The text as it stands now, with `caret`, is what redo returns to; the
  // window now offers undo.
  void RecordAfter(int32_t caret);
  // Takes over another window's whole history.
  void CopyHistoryFrom(const EditHistory& other) { static_cast<EditHistory&>(*this) = other; }

  // --- life cycle (editor/Form1.cpp) ---
  void Form_Load();
  void Form_Activate();
  void Form_Resize();
  // Closes the window; also called directly by move-left. Safe to run twice.
  void Form_Unload(int16_t& Cancel);

  // --- keyboard (editor/KeyDown.cpp, editor/KeyPress.cpp) ---
  void RichTextBox1_KeyDown(int16_t& KeyCode, int16_t Shift);
  void RichTextBox1_KeyPress(int16_t& KeyAscii);

  // --- mouse and caret line (editor/Mouse.cpp) ---
  void RichTextBox1_SelChange();
  void RichTextBox1_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
  void RichTextBox1_MouseUp(int16_t Button, int16_t Shift, float X, float Y);

  // The window's current mode text, shown in status-bar panel 2 while active.
  const QString& modeText() const { return ModeText; }
  int32_t confirmStartPos() const { return ConfirmStartPos; }
  int32_t confirmLength() const { return ConfirmLength; }

 signals:
  // Status-bar texts: the caret's line (" 12行目") and the mode text.
  void CaretLineShown(const QString& lineText);
  void ModeTextShown(const QString& modeText);
  // The window's size changed: the windows may need arranging again.
  void Resized();
  // The user has moved or sized the window by its frame: the windows must
  // stand on their places again.
  void Moved();
  // The window starts to close (unload), and has stopped being one of the
  // loaded windows (its last act before it goes).
  void Unloading();
  void Unloaded();

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // --- mode procedures (editor/Modes.cpp) ---
  void StartLineEdit();
  void StartLineEditAfterDelete();
  void CommitEditLine();
  void EndConfirmMode();
  // Mode text 2 into ModeText, then shown.
  void ShowLineEditMode();
  // Shows ModeText: announced by ModeTextShown for the frame's status bar.
  void ShowModeText();
  // Takes the undo snapshot unless a line edit is already open.
  void TakeUndoSnapshot();
  // Types one character at the caret and starts or continues the line edit.
  void TypeCharacter(QChar character);
  // Line-edit mode on: EditFlag 1 and the mouse shut out.
  void EnterLineEdit();
  // Routes the control's events to the handlers above (editor/ControlEvents.cpp).
  void ConnectControlEvents();
  // The window whose drawing the editor's changes lock: the frame it lives in.
  QWidget* LockTarget() { return window(); }

  int32_t ConfirmStartPos = 0;  // start of the text the latest commit put in
  int32_t ConfirmLength = 0;    // its length
  QString ModeText;

  Services& services_;
  SizeMoveHook* hook_ = nullptr;  // installed at load, removed at unload
  bool unloading_ = false;        // Form_Unload has run its first part
  bool inCloseEvent_ = false;
};
