#pragma once
// The frame: the program's only top-level window. It owns the menus, the
// status bar, the two tool bars, the file dialog, the count of open editor
// windows, the arrangement flags and the cut/copy buffer.
//
// Commands that act on one editor window (save, print, undo, cut, ...) are
// the window's operations: the frame's handlers find the active window and
// call them. Members are defined in these files:
//   frame/MDIForm1.cpp        construction, load, resize, control walks,
//                             the editor windows' signals
//   frame/Menus.cpp           the menu bar, built from the menu tables
//   frame/FileMenu.cpp        the File menu: its table, enabling and the
//                             commands on the active window (save, print)
//   frame/OpenNew.cpp         File ▸ Open and New, which make windows
//   frame/OpenFromOutside.cpp files from the command line, another start, a drop
//   frame/EditMenu.cpp        the Edit menu: its table, enabling and commands
//   frame/Arrangement.cpp     tiling, the Window menu, move-left
//   frame/Toolbars.cpp        the soft keyboard and angle calculator bars
//   frame/ViewMenu.cpp        the View menu
//   frame/LineProbe.cpp       Command51_Click

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <span>

#include "frame/MenuTable.h"
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

  // The number of editor windows open, read off the window list: the loaded
  // windows that have not started closing. It reads as a number; it is never
  // set.
  class WindowCount {
   public:
    explicit WindowCount(const MDIForm1& frame) : frame_(frame) {}
    operator int16_t() const;  // NOLINT(google-explicit-constructor): read by name

   private:
    const MDIForm1& frame_;
  };

  // --- public members ---
  const WindowCount FormNumber{*this};  // editor windows open
  int16_t CancelReReMove = 0;  // 1 while WinOrgNoCngWinOrder runs
  int16_t RightMoveFlag = 0;   // 1 while move-left re-creates a window
  QString PasteText;           // the cut/copy buffer of all windows

  void WinOrgNoCngWinOrder();
  // Holds the arrangement back while a batch of windows is made (files
  // opened together): WinOrgNoCngWinOrder only notes that it was asked, and
  // the last release arranges once. Opening n files then costs one
  // arrangement, not n, each of which visits every window.
  void HoldArrangement();
  void ReleaseArrangement();
  // How many times the windows have been arranged since the frame was made.
  int ArrangementCount() const { return arrangements_; }
  void DisableFrameControls();
  void EnableFrameControls();
  // Sets every menu item as its menu would offer it now (not while a file
  // command has the frame's controls off).
  void RefreshMenus();
  // True between DisableFrameControls and EnableFrameControls: a file command runs.
  bool ControlsDisabled() const { return controlsDisabled_; }

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

  // --- status bar: panel 1 the caret's line, panel 2 the mode text ---
  StatusBar* StatusBar1 = nullptr;

  // --- tool bars ---
  QWidget* Toolbar1 = nullptr;  // soft keyboard
  QWidget* Toolbar2 = nullptr;  // angle calculator

  CommonDialog CommonDialog1;

  // --- menus: each item is an action whose objectName is its name ---
  // The top-level menu or the item called `name` ("mnuFile", "mnuOverWrite").
  QMenu* Menu(const char* name) const;
  QAction* MenuItem(const char* name) const;

  // --- handlers: each menu command's, named after its item ---
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
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateMenus();      // frame/Menus.cpp
  // Sets the enabled state of every item of `items` that has a rule.
  void OfferItems(std::span<const MenuItemRow> items);
  // Runs the item's handler if its rule offers it, then refreshes the menus.
  void RunCommand(const MenuItemRow& item);
  // Runs a file command on the active editor window with the frame's
  // controls off, then gives the window the focus back if the command says
  // so (frame/FileMenu.cpp).
  void RunFileCommand(const std::function<bool(Form1&)>& command);
  void CreateToolbars();   // frame/Toolbars.cpp
  // What the frame does for an editor window (frame/MDIForm1.cpp,
  // frame/Arrangement.cpp).
  void ConnectForm(Form1* form);
  void FormUnloading(Form1* form);
  void FormUnloaded(Form1* form);
  // Every control of the frame: menu actions, tool-bar keys and fields.
  QList<QObject*> Controls() const;

  Services& services_;
  QMdiArea* mdiArea_ = nullptr;
  QList<QPointer<Form1>> forms_;
  QHash<QString, QAction*> menuItems_;
  QPointer<Form1> lastForm_;
  QString caption_;  // the caption as the program last wrote it
  int16_t loaded_ = 0;
  bool controlsDisabled_ = false;  // between DisableFrameControls and EnableFrameControls
  OutsideOpenQueue* outsideFiles_ = nullptr;
  int arrangementHeld_ = 0;        // HoldArrangement calls not yet released
  bool arrangementWanted_ = false;  // asked for while held
  int arrangements_ = 0;
};
