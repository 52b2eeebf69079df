#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "editor/Form1.h"
#include "frame/MDIForm1.h"

namespace {

QMenu* TopMenu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(QLatin1String(name));
  menu->menuAction()->setObjectName(QLatin1String(name));
  return menu;
}

QAction* Item(QMenu* menu, const char* name, const QString& caption, bool enabled) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QLatin1String(name));
  action->setEnabled(enabled);
  return action;
}

QAction* Separator(QMenu* menu, const char* name) {
  QAction* action = menu->addSeparator();
  action->setObjectName(QLatin1String(name));
  return action;
}

}  // namespace

void MDIForm1::CreateMenus() {
  QMenuBar* bar = menuBar();

  mnuFile = TopMenu(bar, "mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"));
  mnuFileOpen = Item(mnuFile, "mnuFileOpen", QStringLiteral("ﾌｧｲﾙを開く(&O)"), true);
  mnuNewProgram = Item(mnuFile, "mnuNewProgram", QStringLiteral("新規作成(&N)"), true);
  mnuDummy = Separator(mnuFile, "mnuDummy");
  mnuOverWrite = Item(mnuFile, "mnuOverWrite", QStringLiteral("上書き保存(&W)"), false);
  mnuNameSave = Item(mnuFile, "mnuNameSave", QStringLiteral("名前を付けて保存(&S)"), false);
  mnuDummyB = Separator(mnuFile, "mnuDummyB");
  mnuPrintNormal = Item(mnuFile, "mnuPrintNormal", QStringLiteral("印刷(&P)"), false);
  mnuPrint = Item(mnuFile, "mnuPrint", QStringLiteral("二段印刷(&D)"), false);

  mnuEdit = TopMenu(bar, "mnuEdit", QStringLiteral("編集(&E)"));
  mnuUndo = Item(mnuEdit, "mnuUndo", QStringLiteral("編集前に戻す(&U)"), false);
  mnuRedo = Item(mnuEdit, "mnuRedo", QStringLiteral("編集後に戻す(&R)"), false);
  mnuDummyC = Separator(mnuEdit, "mnuDummyC");
  mnuCut = Item(mnuEdit, "mnuCut", QStringLiteral("切り取り(&T)"), false);
  mnuCopy = Item(mnuEdit, "mnuCopy", QStringLiteral("コピー(&C)"), false);
  mnuPaste = Item(mnuEdit, "mnuPaste", QStringLiteral("貼り付け(&K)"), false);

  mnuState = TopMenu(bar, "mnuState", QStringLiteral("表示(&V)"));
  mnuBarSoftKeybord = Item(mnuState, "mnuBarSoftKeybord", QStringLiteral("ソフトキーボード(&S)"), true);
  mnuBarRadian = Item(mnuState, "mnuBarRadian", QStringLiteral("角度計算(&K)"), true);

  mnuWindow = TopMenu(bar, "mnuWindow", QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
  mnuLeft = Item(mnuWindow, "mnuLeft", QStringLiteral("左へ移動(&L)"), false);

  // Handlers, one line per menu. A top-level menu's handler runs as it opens,
  // before it drops down, so that it can set its items' enabled state.
  connect(mnuFileOpen, &QAction::triggered, this, &MDIForm1::mnuFileOpen_Click);
  connect(mnuNewProgram, &QAction::triggered, this, &MDIForm1::mnuNewProgram_Click);
  connect(mnuFile, &QMenu::aboutToShow, this, &MDIForm1::mnuFile_Click);
  connect(mnuOverWrite, &QAction::triggered, this, &MDIForm1::mnuOverWrite_Click);
  connect(mnuNameSave, &QAction::triggered, this, &MDIForm1::mnuNameSave_Click);
  connect(mnuPrintNormal, &QAction::triggered, this, &MDIForm1::mnuPrintNormal_Click);
  connect(mnuPrint, &QAction::triggered, this, &MDIForm1::mnuPrint_Click);
  connect(mnuEdit, &QMenu::aboutToShow, this, &MDIForm1::mnuEdit_Click);
  connect(mnuUndo, &QAction::triggered, this, &MDIForm1::mnuUndo_Click);
  connect(mnuRedo, &QAction::triggered, this, &MDIForm1::mnuRedo_Click);
  connect(mnuCut, &QAction::triggered, this, &MDIForm1::mnuCut_Click);
  connect(mnuCopy, &QAction::triggered, this, &MDIForm1::mnuCopy_Click);
  connect(mnuPaste, &QAction::triggered, this, &MDIForm1::mnuPaste_Click);
  connect(mnuBarSoftKeybord, &QAction::triggered, this, &MDIForm1::mnuBarSoftKeybord_Click);
  connect(mnuBarRadian, &QAction::triggered, this, &MDIForm1::mnuBarRadian_Click);
  connect(mnuWindow, &QMenu::aboutToShow, this, &MDIForm1::mnuWindow_Click);
  connect(mnuLeft, &QAction::triggered, this, &MDIForm1::mnuLeft_Click);
}
