#pragma once
// The editor window: one open program in a child window of the frame. It holds
// the program text control RichTextBox1 and the state record that the frame's
// commands read and write by member name.
//
// Members are defined in the files of the subsystem they belong to:
//   editor/Form1.cpp          life cycle (load, activate, resize, unload)
//   editor/SizeMoveHook.cpp   drawing lock while the user moves or sizes it
//   editor/Modes.cpp          entering and leaving line edit and confirmation
//   editor/Mouse.cpp          mouse and caret-line handlers
//   editor/KeyDown.cpp        the key handler
//   editor/KeyPress.cpp       the character filter

#include <QMdiSubWindow>
#include <QPointer>
#include <cstdint>

class MDIForm1;
class RichTextBox;
class SizeMoveHook;

class Form1 : public QMdiSubWindow {
  Q_OBJECT

 public:
  explicit Form1(MDIForm1* frame);
  ~Form1() override;

  // --- state record, in this order; all start at 0 or "" ---
  int16_t ExFocused = 0;           // active when an arrangement began
  int16_t MeExiting = 0;           // 1 once the window has started closing
  int16_t EditFlag = 0;            // 1 in line-edit mode
  int16_t EditDoneFlag = 0;        // 1 in confirmation mode
  QString UndoText;                // whole text before the latest change
  int32_t UndoStartPos = 0;        // caret that goes with UndoText
  QString RedoText;                // whole text after the latest change
  int32_t RedoStartPos = 0;        // caret that goes with RedoText
  int16_t RedoUndoFlag = 0;        // 0 undo offered, 1 redo offered
  int16_t EditingStartedFlag = 0;  // 1 once the text was changed

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
  // Makes this the frame's active child window and raises it.
  void SetFocus();

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

  MDIForm1* frame() const { return frame_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // --- mode procedures (editor/Modes.cpp) ---
  void StartLineEdit();
  void StartLineEditAfterDelete();
  void CommitEditLine();
  void EndConfirmMode();
  // Mode text 2 into ModeText and panel 2.
  void ShowLineEditMode();
  // ModeText into panel 2 when this window is the active one.
  void ShowModeText();
  // Takes the undo snapshot unless a line edit is already open.
  void TakeUndoSnapshot();
  // Types one character at the caret and starts or continues the line edit.
  void TypeCharacter(QChar character);
  // Line-edit mode on: EditFlag 1 and the mouse shut out.
  void EnterLineEdit();
  // Routes the control's events to the handlers above (editor/ControlEvents.cpp).
  void ConnectControlEvents();

  int32_t ConfirmStartPos = 0;  // start of the text the latest commit put in
  int32_t ConfirmLength = 0;    // its length
  QString ModeText;

  MDIForm1* frame_;
  SizeMoveHook* hook_ = nullptr;  // installed at load, removed at unload
  bool unloading_ = false;        // Form_Unload has run its first part
  bool inCloseEvent_ = false;
};
