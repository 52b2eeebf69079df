// Edit ▸ cut, copy and paste. Whole lines travel through the frame's own
// buffer PasteText, shared by all editor windows; the system clipboard is not
// used. The active window does the work.

#include "editor/Form1.h"
#include "frame/MDIForm1.h"

void MDIForm1::mnuCopy_Click() {
  if (Form1* form = ActiveForm()) PasteText = form->Copy();
}

void MDIForm1::mnuCut_Click() {
  if (Form1* form = ActiveForm()) PasteText = form->Cut();
}

void MDIForm1::mnuPaste_Click() {
  if (Form1* form = ActiveForm()) form->Paste(PasteText);
}
