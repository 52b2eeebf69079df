#include "frame/MDIForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "editor/Form1.h"
#include "frame/MenuTable.h"
#include "frame/StatusBar.h"
#include "frame/ToolbarLayout.h"
#include "platform/DrawingLock.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

namespace {

// The frame's client area as designed: width and height below the menu bar.
constexpr int kClientWidthTwips = 10335;
constexpr int kClientHeightTwips = 7995;

QWidget* MakeToolbar(const char* name, QWidget* parent) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(QLatin1String(name));
  bar->setFixedHeight(TwipsToPixels(ToolbarLayout::kBarHeight));
  return bar;
}

}  // namespace

MDIForm1::MDIForm1(Services& services, QWidget* parent)
    : QMainWindow(parent), CommonDialog1(services), services_(services) {
  SetCaption(QStringLiteral("KESTO"));

  // Client area: the editor windows' area, then the angle calculator, then the
  // soft keyboard, then the status bar at the bottom edge.
  auto* client = new QWidget(this);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  mdiArea_ = new QMdiArea(client);
  mdiArea_->setObjectName(QStringLiteral("MDIClient"));
  Toolbar2 = MakeToolbar("Toolbar2", client);
  Toolbar1 = MakeToolbar("Toolbar1", client);
  column->addWidget(mdiArea_, 1);
  column->addWidget(Toolbar2);
  column->addWidget(Toolbar1);
  setCentralWidget(client);

  StatusBar1 = new StatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  setStatusBar(StatusBar1);

  CreateMenus();
  CreateToolbars();

  connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
    if (auto* form = qobject_cast<Form1*>(window)) form->Form_Activate();
    RefreshMenus();
  });

  // As designed, unless the screen is smaller.
  resize(FitToAvailableArea(*this, QSize(TwipsToPixels(kClientWidthTwips),
                                         menuBar()->sizeHint().height() +
                                             TwipsToPixels(kClientHeightTwips))));
  // Program files dragged from a file manager open as File ▸ Open opens them.
  setAcceptDrops(true);

  MDIForm_Load();
}

MDIForm1::~MDIForm1() {
  // Editor windows go first, while the frame they report to is still whole.
  disconnect(mdiArea_, nullptr, this, nullptr);
  // Closed windows still waiting for deletion are children of the area too.
  const QList<Form1*> forms = mdiArea_->findChildren<Form1*>();
  for (Form1* form : forms) delete form;
}

void MDIForm1::MDIForm_Load() {
  StatusBar1->AddPanel();
  loaded_ = 1;
}

void MDIForm1::MDIForm_Resize() {
  DrawingLockGuard lock(this);
  WinOrgNoCngWinOrder();
  const int width = ScaleWidth();
  if (width != 0 && loaded_ == 1) {
    StatusBar1->Panels(1).SetWidth(width / 5);
    StatusBar1->Panels(2).SetWidth(static_cast<int>(width * 0.8));
  }
}

void MDIForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  MDIForm_Resize();
}

void MDIForm1::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Only the program writes the caption; Qt's MDI area would append the
  // caption of a maximised editor window to it.
  if (event->type() == QEvent::WindowTitleChange && windowTitle() != caption_)
    setWindowTitle(caption_);
  // Minimising and restoring count as size changes of the frame.
  if (event->type() == QEvent::WindowStateChange) MDIForm_Resize();
}

void MDIForm1::closeEvent(QCloseEvent* event) {
  // Every editor window unloads; nothing is asked and unsaved edits are lost.
  {
    DrawingLockGuard lock(this);
    const QList<Form1*> forms = Forms();
    for (Form1* form : forms) form->close();
  }
  event->accept();
}

Form1* MDIForm1::LastForm() const { return lastForm_; }

QMenu* MDIForm1::Menu(const char* name) const {
  QAction* action = MenuItem(name);
  return action ? action->menu() : nullptr;
}

QAction* MDIForm1::MenuItem(const char* name) const {
  return menuItems_.value(QLatin1String(name), nullptr);
}

Form1* MDIForm1::ActiveForm() const {
  // The frame's current child, also while another application has the focus.
  return qobject_cast<Form1*>(mdiArea_->currentSubWindow());
}

const Form1* BrowsingForm(const MDIForm1& frame) {
  const Form1* form = frame.FormNumber > 0 ? frame.ActiveForm() : nullptr;
  return form && form->BrowsingWithoutSelection() ? form : nullptr;
}

MDIForm1::WindowCount::operator int16_t() const {
  int16_t open = 0;
  for (const Form1* form : frame_.Forms()) {
    if (form->MeExiting == 0) ++open;
  }
  return open;
}

QList<Form1*> MDIForm1::Forms() const {
  QList<Form1*> forms;
  forms.reserve(forms_.size());
  for (const QPointer<Form1>& form : forms_) {
    if (form) forms.append(form.data());
  }
  return forms;
}

QString MDIForm1::Caption() const { return windowTitle(); }

void MDIForm1::SetCaption(const QString& caption) {
  caption_ = caption;
  setWindowTitle(caption);
}

int MDIForm1::ScaleWidth() const { return isMinimized() ? 0 : width(); }

Form1* MDIForm1::CreateForm() {
  auto* form = new Form1(services_);
  ConnectForm(form);
  mdiArea_->addSubWindow(form);
  forms_.append(form);
  lastForm_ = form;
  return form;
}

void MDIForm1::ConnectForm(Form1* form) {
  // The status bar shows the caret's line and the mode text the window
  // announces; the frame arranges, counts and forgets windows for them.
  connect(form, &Form1::CaretLineShown, this, [this](const QString& text) {
    StatusBar1->Panels(1).SetText(text);
    RefreshMenus();  // a selection may have appeared or gone
  });
  // The caret's line always follows the mode text: the menus are set then.
  connect(form, &Form1::ModeTextShown, this,
          [this](const QString& text) { StatusBar1->Panels(2).SetText(text); });
  const auto arrange = [this] {
    if (CancelReReMove == 0) WinOrgNoCngWinOrder();
  };
  connect(form, &Form1::Resized, this, arrange);
  connect(form, &Form1::Moved, this, arrange);
  connect(form, &Form1::Unloading, this, [this, form] { FormUnloading(form); });
  connect(form, &Form1::Unloaded, this, [this, form] { FormUnloaded(form); });
}

void MDIForm1::FormUnloaded(Form1* form) {
  forms_.removeIf([form](const QPointer<Form1>& f) { return f.isNull() || f.data() == form; });
  if (lastForm_ == form) lastForm_ = nullptr;
  RefreshMenus();
}

QList<QObject*> MDIForm1::Controls() const {
  QList<QObject*> controls;
  for (QAction* top : menuBar()->actions()) {
    controls.append(top);
    if (QMenu* menu = top->menu()) {
      for (QAction* item : menu->actions()) controls.append(item);
    }
  }
  for (QWidget* bar : {Toolbar1, Toolbar2}) {
    for (QWidget* child : bar->findChildren<QWidget*>()) controls.append(child);
  }
  return controls;
}

namespace {

// Sets Enabled on every control that has the property and passes over the rest.
void SetControlsEnabled(const QList<QObject*>& controls, bool enabled) {
  for (QObject* control : controls) {
    if (auto* action = qobject_cast<QAction*>(control)) {
      action->setEnabled(enabled);
    } else if (auto* widget = qobject_cast<QWidget*>(control)) {
      widget->setEnabled(enabled);
    }
  }
}

}  // namespace

void MDIForm1::DisableFrameControls() {
  controlsDisabled_ = true;
  SetControlsEnabled(Controls(), false);
}

void MDIForm1::EnableFrameControls() {
  SetControlsEnabled(Controls(), true);
  controlsDisabled_ = false;
}
