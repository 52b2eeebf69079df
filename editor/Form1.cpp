#include "editor/Form1.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>

#include "editor/ModeTexts.h"
#include "editor/SizeMoveHook.h"
#include "platform/Application.h"
#include "platform/RichTextBox.h"
#include "platform/Twips.h"

namespace {
// The window's size as designed, before the arrangement gives it its place.
constexpr int kDesignWidthTwips = 6255;
constexpr int kDesignHeightTwips = 4920;
}  // namespace

Form1::Form1(Services& services) : QMdiSubWindow(nullptr), services_(services) {
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
  emit Unloaded();
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
  ModeText = ModeTexts::kBrowse;
  RichTextBox1->setAccessibleDescription(ModeText);
}

void Form1::Form_Activate() {
  emit CaretLineShown(LineText(RichTextBox1->GetLineFromChar(RichTextBox1->SelStart()) + 1));
  emit ModeTextShown(ModeText);
}

void Form1::Form_Resize() {
  const int height = ScaleHeight();
  if (height > 0) RichTextBox1->SetHeight(height);
  RichTextBox1->SetWidth(ScaleWidth());
  // The frame arranges the windows again unless it is arranging them now.
  emit Resized();
}

void Form1::Form_Unload(int16_t& Cancel) {
  Q_UNUSED(Cancel);  // closing is never refused
  if (!unloading_) {
    unloading_ = true;
    // The frame counts the window out, hides it and arranges the others,
    // unless move-left is replacing it.
    emit Unloading();
  }
  delete hook_;
  hook_ = nullptr;
  // From here on the window is no longer one of the frame's loaded windows.
  emit Unloaded();
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
