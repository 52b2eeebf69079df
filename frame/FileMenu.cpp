// The File menu: its items, the rule that offers each, and the commands that
// act on the active editor window. Save, Save As, Print and Two-column print
// are offered only when that window is in browse mode with nothing selected;
// Save needs a path in the caption, printing needs some text. Open and New
// are always offered (frame/OpenNew.cpp).

#include <QPointer>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "files/ProgramFile.h"
#include "frame/FrameControls.h"
#include "frame/MDIForm1.h"
#include "frame/MenuTable.h"
#include "platform/LongOperation.h"

namespace {

bool HasPath(const MDIForm1& frame) {
  const Form1* form = BrowsingForm(frame);
  return form && form->Caption() != kNewProgramCaption;
}

bool IsReady(const MDIForm1& frame) { return BrowsingForm(frame) != nullptr; }

bool HasText(const MDIForm1& frame) {
  const Form1* form = BrowsingForm(frame);
  return form && form->RichTextBox1->Length() != 0;
}

const MenuItemRow kItems[] = {
    {"mnuFileOpen", u"ﾌｧｲﾙを開く(&O)", &MDIForm1::mnuFileOpen_Click, nullptr},
    {"mnuNewProgram", u"新規作成(&N)", &MDIForm1::mnuNewProgram_Click, nullptr},
    {"mnuDummy", nullptr, nullptr, nullptr},
    {"mnuOverWrite", u"上書き保存(&W)", &MDIForm1::mnuOverWrite_Click, HasPath},
    {"mnuNameSave", u"名前を付けて保存(&S)", &MDIForm1::mnuNameSave_Click, IsReady},
    {"mnuDummyB", nullptr, nullptr, nullptr},
    {"mnuPrintNormal", u"印刷(&P)", &MDIForm1::mnuPrintNormal_Click, HasText},
    {"mnuPrint", u"二段印刷(&D)", &MDIForm1::mnuPrint_Click, HasText},
};

}  // namespace

std::span<const MenuItemRow> FileMenuItems() { return kItems; }

void MDIForm1::mnuFile_Click() { OfferItems(FileMenuItems()); }

void MDIForm1::RunFileCommand(const std::function<bool(Form1&)>& command) {
  // A long operation (a print, a save) turns the event loop while it runs;
  // no other command starts meanwhile.
  const QPointer<Form1> form = ActiveForm();
  if (!form || LongOperation::Running()) return;
  bool focusBack = false;
  {
    DisableFrameControls();
    const EnableFrameControlsOnExit enableOnExit(*this);
    focusBack = command(*form);
  }
  if (focusBack && form) form->SetFocus();
}

void MDIForm1::mnuOverWrite_Click() { RunFileCommand(&Form1::Save); }

void MDIForm1::mnuNameSave_Click() {
  RunFileCommand([this](Form1& form) { return form.SaveAs(CommonDialog1); });
}

void MDIForm1::mnuPrintNormal_Click() {
  RunFileCommand([](Form1& form) { return form.PrintListing(false); });
}

void MDIForm1::mnuPrint_Click() {
  RunFileCommand([](Form1& form) { return form.PrintListing(true); });
}
