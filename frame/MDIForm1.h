#pragma once
// The frame: the program's only top-level window. It owns the menus, the
// status bar, the two tool bars, the file dialog, the count of open editor
// windows, the arrangement flags and the cut/copy buffer.
//
// Members are defined in the files of the subsystem they belong to:
//   frame/MDIForm1.cpp        construction, load, resize, control walks
//   frame/Menus.cpp           the menu bar
//   frame/StatusBar.cpp       the status bar panels
//   frame/Arrangement.cpp     tiling, the Window menu, move-left
//   frame/Toolbars.cpp        the soft keyboard and angle calculator bars
//   editor/LineProbe.cpp      Command51_Click
//   files/OpenNew.cpp         File ▸ Open and New
//   files/Save.cpp            File ▸ Save and Save As
//   files/FileMenu.cpp        the File menu's enabling
//   files/OpenFromOutside.cpp files from the command line, another start, a drop
//   edit/UndoRedo.cpp         Edit ▸ undo and redo
//   edit/CutCopyPaste.cpp     Edit ▸ cut, copy, paste
//   edit/EditMenu.cpp         the Edit menu's enabling
//   print/Printing.cpp        File ▸ Print and Two-column print

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <cstdint>

#include "platform/CommonDialog.h"

class Form1;
class OutsideOpenQueue;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class Services;
class StatusBar;
class QWidget;

class MDIForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit MDIForm1(Services& services, QWidget* parent = nullptr);
  ~MDIForm1() override;

  // --- public members ---
  int16_t FormNumber = 0;      // editor windows open
  int16_t CancelReReMove = 0;  // 1 while WinOrgNoCngWinOrder runs
  int16_t RightMoveFlag = 0;   // 1 while move-left re-creates a window
  QString PasteText;           // the cut/copy buffer of all windows

  void WinOrgNoCngWinOrder();
  void DisableFrameControls();
  void EnableFrameControls();

  // --- window system ---
  Form1* ActiveForm() const;
  // Every loaded editor window, oldest first.
  QList<Form1*> Forms() const;
  // The most recently created editor window.
  Form1* LastForm() const;
  QString Caption() const;
  void SetCaption(const QString& caption);
  // Inner width in pixels; 0 while minimised.
  int ScaleWidth() const;
  QMdiArea* mdiArea() const { return mdiArea_; }
  Services& services() const { return services_; }

  // Creates a new editor window, registers it as loaded and as the most
  // recent one. It is not shown yet.
  Form1* CreateForm();
  // Called by an editor window when it is destroyed.
  void FormDestroyed(Form1* form);

  // --- status bar: panel 1 the caret's line, panel 2 the mode text ---
  StatusBar* StatusBar1 = nullptr;

  // --- tool bars ---
  QWidget* Toolbar1 = nullptr;  // soft keyboard
  QWidget* Toolbar2 = nullptr;  // angle calculator

  CommonDialog CommonDialog1;

  // --- menus: each item is an action whose objectName is its name ---
  QMenu* mnuFile = nullptr;
  QAction* mnuFileOpen = nullptr;
  QAction* mnuNewProgram = nullptr;
  QAction* mnuDummy = nullptr;
  QAction* mnuOverWrite = nullptr;
  QAction* mnuNameSave = nullptr;
  QAction* mnuDummyB = nullptr;
  QAction* mnuPrintNormal = nullptr;
  QAction* mnuPrint = nullptr;
  QMenu* mnuEdit = nullptr;
  QAction* mnuUndo = nullptr;
  QAction* mnuRedo = nullptr;
  QAction* mnuDummyC = nullptr;
  QAction* mnuCut = nullptr;
  QAction* mnuCopy = nullptr;
  QAction* mnuPaste = nullptr;
  QMenu* mnuState = nullptr;
  QAction* mnuBarSoftKeybord = nullptr;
  QAction* mnuBarRadian = nullptr;
  QMenu* mnuWindow = nullptr;
  QAction* mnuLeft = nullptr;

  // --- handlers ---
  void MDIForm_Load();
  void MDIForm_Resize();

  void mnuFile_Click();
  void mnuFileOpen_Click();
  void mnuNewProgram_Click();
  void mnuOverWrite_Click();
  void mnuNameSave_Click();
  void mnuPrintNormal_Click();
  void mnuPrint_Click();

  void mnuEdit_Click();
  void mnuUndo_Click();
  void mnuRedo_Click();
  void mnuCut_Click();
  void mnuCopy_Click();
  void mnuPaste_Click();

  void mnuBarSoftKeybord_Click();
  void mnuBarRadian_Click();

  void mnuWindow_Click();
  void mnuLeft_Click();

  void Command51_Click();

  // Opens files named from outside the File menu, as File ▸ Open opens a
  // file, once no command is running; the last one ends up leftmost.
  void OpenFromOutside(const QStringList& paths);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateMenus();      // frame/Menus.cpp
  void CreateToolbars();   // frame/Toolbars.cpp
  // Every control of the frame: menu actions, tool-bar keys and fields.
  QList<QObject*> Controls() const;

  Services& services_;
  QMdiArea* mdiArea_ = nullptr;
  QList<QPointer<Form1>> forms_;
  QPointer<Form1> lastForm_;
  int16_t loaded_ = 0;
  OutsideOpenQueue* outsideFiles_ = nullptr;
};
