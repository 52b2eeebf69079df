// The Edit menu: its items, the rule that offers each, and its commands,
// which the active editor window carries out. The items have no shortcut
// keys: the rules are what guards the edit commands. Whole lines travel
// through the frame's own buffer PasteText, shared by all editor windows;
// the system clipboard is not used.

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"

namespace {

// The active editor window when one is open and no line edit is pending in it.
const Form1* IdleForm(const MDIForm1& frame) {
  const Form1* form = frame.FormNumber > 0 ? frame.ActiveForm() : nullptr;
  return form && form->NoLineEditPending() ? form : nullptr;
}

bool Selected(const Form1& form) { return form.RichTextBox1->SelLength() != 0; }

bool CanUndo(const MDIForm1& frame) {
  const Form1* form = IdleForm(frame);
  return form && !Selected(*form) && form->history().CanUndo();
}

bool CanRedo(const MDIForm1& frame) {
  const Form1* form = IdleForm(frame);
  return form && !Selected(*form) && form->history().CanRedo();
}

bool CanCutOrCopy(const MDIForm1& frame) {
  const Form1* form = IdleForm(frame);
  return form && Selected(*form);
}

bool CanPaste(const MDIForm1& frame) {
  const Form1* form = IdleForm(frame);
  return form && !Selected(*form) && !frame.PasteText.isEmpty();
}

const MenuItemRow kItems[] = {
    {"mnuUndo", u"編集前に戻す(&U)", &MDIForm1::mnuUndo_Click, CanUndo},
    {"mnuRedo", u"編集後に戻す(&R)", &MDIForm1::mnuRedo_Click, CanRedo},
    {"mnuDummyC", nullptr, nullptr, nullptr},
    {"mnuCut", u"切り取り(&T)", &MDIForm1::mnuCut_Click, CanCutOrCopy},
    {"mnuCopy", u"コピー(&C)", &MDIForm1::mnuCopy_Click, CanCutOrCopy},
    {"mnuPaste", u"貼り付け(&K)", &MDIForm1::mnuPaste_Click, CanPaste},
};

}  // namespace

std::span<const MenuItemRow> EditMenuItems() { return kItems; }

void MDIForm1::mnuEdit_Click() { OfferItems(EditMenuItems()); }

void MDIForm1::mnuUndo_Click() {
  if (Form1* form = ActiveForm()) form->Undo();
}

void MDIForm1::mnuRedo_Click() {
  if (Form1* form = ActiveForm()) form->Redo();
}

void MDIForm1::mnuCopy_Click() {
  if (Form1* form = ActiveForm()) PasteText = form->Copy();
}

void MDIForm1::mnuCut_Click() {
  if (Form1* form = ActiveForm()) PasteText = form->Cut();
}

void MDIForm1::mnuPaste_Click() {
  if (Form1* form = ActiveForm()) form->Paste(PasteText);
}
