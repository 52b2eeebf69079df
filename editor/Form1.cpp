#include "editor/Form1.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>

#include "control/RichTextBox.h"
#include "editor/ModeTexts.h"
#include "editor/SizeMoveHook.h"
#include "platform/Application.h"
#include "platform/Twips.h"

namespace {
// The window's size as designed, before the arrangement gives it its place.
constexpr int kDesignWidthTwips = 6255;
constexpr int kDesignHeightTwips = 4920;

// The title bar offers the icon with its menu and the close button only: the
// arrangement decides where and how large every editor window stands, so
// there is nothing to maximise, and a minimised window would lie hidden under
// the others. The menu holds closing alone, without a shortcut key; Qt's own
// menu would also offer moving, sizing and keeping the window on top, and
// closes on Ctrl+W.
constexpr Qt::WindowFlags kChrome =
    Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;

QMenu* CloseOnlyMenu(QMdiSubWindow* window) {
  auto* menu = new QMenu(window);
  QObject::connect(menu->addAction(QStringLiteral("閉じる(&C)")), &QAction::triggered, window,
                   &QWidget::close);
  return menu;
}
}  // namespace

Form1::Form1(Services& services) : QMdiSubWindow(nullptr, kChrome), services_(services) {
  setSystemMenu(CloseOnlyMenu(this));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(ProgramIcon());

  RichTextBox1 = new RichTextBox;  // "ＭＳ ゴシック" 12 pt, as the control is designed
  RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
  setWidget(RichTextBox1);
  resize(TwipsToPixels(kDesignWidthTwips), TwipsToPixels(kDesignHeightTwips));
  setWindowTitle(QStringLiteral("Form1"));

  // Loaded at creation: whoever creates the window sets its caption next.
  Form_Load();
  ConnectControlEvents();
}

Form1::~Form1() {
  delete hook_;
  if (!unloaded_) emit Unloaded();  // destroyed without an unload
}

QString Form1::Caption() const { return windowTitle(); }

void Form1::SetCaption(const QString& caption) { setWindowTitle(caption); }

void Form1::SetVisible(bool visible) {
  if (!visible) {
    hide();
    return;
  }
  // Showing a window sizes it and then activates it.
  show();
  Form_Resize();
  SetFocus();
}

int Form1::ScaleWidth() const {
  if (isMinimized()) return 0;
  return layout() ? layout()->contentsRect().width() : contentsRect().width();
}

int Form1::ScaleHeight() const {
  if (isMinimized()) return 0;
  return layout() ? layout()->contentsRect().height() : contentsRect().height();
}

void Form1::SetFocus() {
  if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
}

void Form1::Form_Load() {
  hook_ = new SizeMoveHook(this, [this] { emit Moved(); });
  // Nobody listens yet: the status bar learns the mode at activation.
  EnterMode(EditorMode::kBrowse);
}

void Form1::Form_Activate() {
  emit CaretLineShown(LineText(RichTextBox1->GetLineFromChar(RichTextBox1->SelStart()) + 1));
  emit ModeTextShown(modeText());
}

void Form1::Form_Resize() {
  const int height = ScaleHeight();
  if (height > 0) RichTextBox1->SetHeight(height);
  RichTextBox1->SetWidth(ScaleWidth());
  // The frame arranges the windows again unless it is arranging them now.
  emit Resized();
}

void Form1::Form_Unload() {
  if (!unloading_) {
    unloading_ = true;
    // The frame counts the window out, hides it and arranges the others,
    // unless move-left is replacing it.
    emit Unloading();
  }
  delete hook_;
  hook_ = nullptr;
  // From here on the window is no longer one of the frame's loaded windows.
  if (!unloaded_) {
    unloaded_ = true;
    emit Unloaded();
  }
  if (!inCloseEvent_) close();
}

void Form1::closeEvent(QCloseEvent* event) {
  inCloseEvent_ = true;
  Form_Unload();
  inCloseEvent_ = false;
  QMdiSubWindow::closeEvent(event);
}

void Form1::changeEvent(QEvent* event) {
  if (event->type() != QEvent::WindowStateChange ||
      static_cast<QWindowStateChangeEvent*>(event)->isOverride()) {
    QMdiSubWindow::changeEvent(event);
    return;
  }
  // A maximised window would stand over the others: the state is put back
  // before Qt fills the area with the window, and a minimised window asked
  // to maximise is restored instead.
  const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
  if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
    overrideWindowState(old);
    if (old & Qt::WindowMinimized) showNormal();
    return;
  }
  QMdiSubWindow::changeEvent(event);
  // Minimising and restoring change the window's size.
  if ((old ^ windowState()) & Qt::WindowMinimized) Form_Resize();
}

void Form1::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  // Sizes delivered before the window is first shown are handled by showing it.
  if (isVisible()) Form_Resize();
}
