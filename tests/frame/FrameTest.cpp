// The frame's menus, layout, status-bar panels and control walks.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "frame/FrameFixture.h"
#include "platform/Twips.h"

namespace {

using Frame = FrameFixture;

struct MenuRow {
  const char* menu;  // top-level menu it belongs to ("" for a top-level menu)
  const char* name;
  const char* caption;  // "-" for a separator
  bool enabled;
};

const MenuRow kMenuRows[] = {
    {"", "mnuFile", "ﾌｧｲﾙ(&F)", true},
    {"mnuFile", "mnuFileOpen", "ﾌｧｲﾙを開く(&O)", true},
    {"mnuFile", "mnuNewProgram", "新規作成(&N)", true},
    {"mnuFile", "mnuDummy", "-", true},
    {"mnuFile", "mnuOverWrite", "上書き保存(&W)", false},
    {"mnuFile", "mnuNameSave", "名前を付けて保存(&S)", false},
    {"mnuFile", "mnuDummyB", "-", true},
    {"mnuFile", "mnuPrintNormal", "印刷(&P)", false},
    {"mnuFile", "mnuPrint", "二段印刷(&D)", false},
    {"", "mnuEdit", "編集(&E)", true},
    {"mnuEdit", "mnuUndo", "編集前に戻す(&U)", false},
    {"mnuEdit", "mnuRedo", "編集後に戻す(&R)", false},
    {"mnuEdit", "mnuDummyC", "-", true},
    {"mnuEdit", "mnuCut", "切り取り(&T)", false},
    {"mnuEdit", "mnuCopy", "コピー(&C)", false},
    {"mnuEdit", "mnuPaste", "貼り付け(&K)", false},
    {"", "mnuState", "表示(&V)", true},
    {"mnuState", "mnuBarSoftKeybord", "ソフトキーボード(&S)", true},
    {"mnuState", "mnuBarRadian", "角度計算(&K)", true},
    {"", "mnuWindow", "ｳｨﾝﾄﾞｳ(&W)", true},
    {"mnuWindow", "mnuLeft", "左へ移動(&L)", false},
};

TEST_F(Frame, MenuBarNamesCaptionsAndStartStates) {
  // Flatten the bar in order: each top-level menu followed by its items.
  QList<QPair<QString, QAction*>> actual;
  for (QAction* top : frame->menuBar()->actions()) {
    actual.append({QString(), top});
    for (QAction* item : top->menu()->actions()) actual.append({top->objectName(), item});
  }
  ASSERT_EQ(actual.size(), static_cast<qsizetype>(std::size(kMenuRows)));
  for (size_t i = 0; i < std::size(kMenuRows); ++i) {
    const MenuRow& row = kMenuRows[i];
    const auto& [menu, action] = actual[static_cast<qsizetype>(i)];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(menu, QString::fromUtf8(row.menu));
    EXPECT_EQ(action->objectName(), QString::fromUtf8(row.name));
    if (QByteArray(row.caption) == "-") {
      EXPECT_TRUE(action->isSeparator());
    } else {
      EXPECT_FALSE(action->isSeparator());
      EXPECT_EQ(action->text(), QString::fromUtf8(row.caption));
    }
    EXPECT_EQ(action->isEnabled(), row.enabled);
    EXPECT_TRUE(action->shortcut().isEmpty());
  }
  EXPECT_EQ(frame->mnuLeft, actual.last().second);
  EXPECT_EQ(frame->mnuFile->menuAction(), actual.first().second);
}

TEST_F(Frame, CaptionAndDesignedClientArea) {
  EXPECT_EQ(frame->windowTitle(), "KESTO");
  const int clientHeight = frame->height() - frame->menuBar()->height();
  EXPECT_EQ(frame->width(), TwipsToPixels(10335));
  EXPECT_EQ(clientHeight, TwipsToPixels(7995));

  // Bottom edge, top to bottom: angle calculator, soft keyboard, status bar.
  auto top = [&](QWidget* w) { return w->mapTo(frame.get(), QPoint(0, 0)).y(); };
  EXPECT_EQ(frame->Toolbar2->objectName(), "Toolbar2");
  EXPECT_EQ(frame->Toolbar1->objectName(), "Toolbar1");
  EXPECT_EQ(frame->Toolbar1->height(), 118);
  EXPECT_EQ(frame->Toolbar2->height(), 118);
  EXPECT_TRUE(frame->Toolbar1->isVisible() && frame->Toolbar2->isVisible());
  EXPECT_EQ(top(frame->Toolbar1), top(frame->Toolbar2) + 118);
  EXPECT_EQ(top(frame->StatusBar1), top(frame->Toolbar1) + 118);
  EXPECT_EQ(top(frame->mdiArea()) + frame->mdiArea()->height(), top(frame->Toolbar2));
  EXPECT_EQ(frame->Toolbar1->width(), frame->width());
}

TEST_F(Frame, StartState) {
  EXPECT_EQ(frame->FormNumber, 0);
  EXPECT_EQ(frame->CancelReReMove, 0);
  EXPECT_EQ(frame->RightMoveFlag, 0);
  EXPECT_TRUE(frame->PasteText.isEmpty());
  EXPECT_EQ(frame->StatusBar1->PanelCount(), 2);
  EXPECT_EQ(frame->ActiveForm(), nullptr);
}

TEST_F(Frame, PanelWidthsFollowTheFrameButNotWhileMinimised) {
  frame->resize(1000, 600);
  QCoreApplication::processEvents();
  EXPECT_EQ(frame->StatusBar1->Panels(1).Width(), 200);
  EXPECT_EQ(frame->StatusBar1->Panels(2).Width(), 800);
  // The first panel is really shown that wide; the second takes what is left.
  const QList<QLabel*> labels = frame->StatusBar1->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 2);
  EXPECT_EQ(labels[0]->width(), 200);
  EXPECT_GT(labels[1]->width(), 700);

  frame->showMinimized();
  QCoreApplication::processEvents();
  ASSERT_TRUE(frame->isMinimized());
  EXPECT_EQ(frame->ScaleWidth(), 0);
  frame->resize(500, 600);  // a size change while minimised
  QCoreApplication::processEvents();
  EXPECT_EQ(frame->StatusBar1->Panels(1).Width(), 200);
  EXPECT_EQ(frame->StatusBar1->Panels(2).Width(), 800);

  frame->showNormal();
  QCoreApplication::processEvents();
  EXPECT_EQ(frame->StatusBar1->Panels(1).Width(), frame->width() / 5);
  EXPECT_EQ(frame->StatusBar1->Panels(2).Width(), static_cast<int>(frame->width() * 0.8));
}

TEST_F(Frame, PanelsDoNotHoldTheFrameWide) {
  frame->resize(1200, 600);
  QCoreApplication::processEvents();
  frame->resize(500, 600);
  QCoreApplication::processEvents();
  EXPECT_EQ(frame->width(), 500);
  EXPECT_EQ(frame->StatusBar1->Panels(1).Width(), 100);
}

TEST_F(Frame, ControlWalksCoverMenusAndToolbarKeys) {
  // A key placed on a tool bar later is covered without further wiring.
  auto* key = new QPushButton(QStringLiteral("P"), frame->Toolbar1);
  auto* field = new QLabel(frame->Toolbar2);

  frame->DisableFrameControls();
  for (QAction* top : frame->menuBar()->actions()) {
    EXPECT_FALSE(top->isEnabled()) << top->objectName().toStdString();
    for (QAction* item : top->menu()->actions()) EXPECT_FALSE(item->isEnabled());
  }
  EXPECT_FALSE(key->isEnabled());
  EXPECT_FALSE(field->isEnabled());

  frame->EnableFrameControls();
  for (QAction* top : frame->menuBar()->actions()) {
    EXPECT_TRUE(top->isEnabled());
    for (QAction* item : top->menu()->actions()) EXPECT_TRUE(item->isEnabled());
  }
  EXPECT_TRUE(key->isEnabled());
  EXPECT_TRUE(field->isEnabled());
}

TEST_F(Frame, OpeningTheWindowMenuSetsMoveLeft) {
  frame->mnuLeft->setEnabled(true);
  emit frame->mnuWindow->aboutToShow();
  EXPECT_FALSE(frame->mnuLeft->isEnabled());
}

TEST_F(Frame, ClosingTheFrameUnloadsEveryWindowWithoutAsking) {
  QPointer<Form1> a = OpenProgram("A.m");
  QPointer<Form1> b = New();
  EXPECT_TRUE(frame->close());
  FlushDeletes();
  EXPECT_TRUE(a.isNull());
  EXPECT_TRUE(b.isNull());
  EXPECT_EQ(frame->FormNumber, 0);
  EXPECT_TRUE(services.messages.empty());
}

}  // namespace
