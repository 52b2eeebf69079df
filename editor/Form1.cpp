#include "editor/Form1.h"

#include <QCloseEvent>
#include <QFont>
#include <QLayout>
#include <QMdiArea>

#include "editor/ModeTexts.h"
#include "editor/SizeMoveHook.h"
#include "frame/MDIForm1.h"
#include "frame/StatusBar.h"
#include "platform/Application.h"
#include "platform/DrawingLock.h"
#include "platform/RichTextBox.h"
#include "platform/Twips.h"

namespace {
// The window's size as designed, before the arrangement gives it its place.
constexpr int kDesignWidthTwips = 6255;
constexpr int kDesignHeightTwips = 4920;
}  // namespace

Form1::Form1(MDIForm1* frame) : QMdiSubWindow(nullptr), frame_(frame) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(ProgramIcon());

  RichTextBox1 = new RichTextBox;
  RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
  RichTextBox1->setFont(QFont(QString::fromUtf16(kProgramFontFamily), 12));
  setWidget(RichTextBox1);
  resize(TwipsToPixels(kDesignWidthTwips), TwipsToPixels(kDesignHeightTwips));
  setWindowTitle(QStringLiteral("Form1"));

  // Loaded at creation: whoever creates the window sets its caption next.
  Form_Load();
  ConnectControlEvents();
}

Form1::~Form1() {
  delete hook_;
  frame_->FormDestroyed(this);
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
  if (QMdiArea* area = frame_->mdiArea()) area->setActiveSubWindow(this);
}

void Form1::Form_Load() {
  hook_ = new SizeMoveHook(this, frame_);
  ModeText = ModeTexts::kBrowse;
  RichTextBox1->setAccessibleDescription(ModeText);
}

void Form1::Form_Activate() {
  StatusBar& bar = *frame_->StatusBar1;
  bar.Panels(1).SetText(LineText(RichTextBox1->GetLineFromChar(RichTextBox1->SelStart()) + 1));
  bar.Panels(2).SetText(ModeText);
}

void Form1::Form_Resize() {
  const int height = ScaleHeight();
  if (height > 0) RichTextBox1->SetHeight(height);
  RichTextBox1->SetWidth(ScaleWidth());
  if (frame_->CancelReReMove == 0) frame_->WinOrgNoCngWinOrder();
}

void Form1::Form_Unload(int16_t& Cancel) {
  Q_UNUSED(Cancel);  // closing is never refused
  if (!unloading_) {
    unloading_ = true;
    // While move-left replaces this window, the count, the visibility and the
    // arrangement are left to it.
    if (frame_->RightMoveFlag == 0) {
      frame_->FormNumber -= 1;
      DrawingLockGuard lock(frame_);
      SetVisible(false);
      MeExiting = 1;
      frame_->WinOrgNoCngWinOrder();
    }
  }
  delete hook_;
  hook_ = nullptr;
  // From here on the window is no longer one of the frame's loaded windows.
  frame_->FormDestroyed(this);
  if (!inCloseEvent_) close();
}

void Form1::closeEvent(QCloseEvent* event) {
  inCloseEvent_ = true;
  int16_t cancel = 0;
  Form_Unload(cancel);
  inCloseEvent_ = false;
  QMdiSubWindow::closeEvent(event);
}

void Form1::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  // Sizes delivered before the window is first shown are handled by showing it.
  if (isVisible()) Form_Resize();
}
