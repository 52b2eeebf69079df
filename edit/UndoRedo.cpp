// Edit ▸ undo and redo: the active editor window switches between the whole
// text from before its latest change and the whole text from after it.

#include "editor/Form1.h"
#include "frame/MDIForm1.h"

void MDIForm1::mnuUndo_Click() {
  if (Form1* form = ActiveForm()) form->Undo();
}

void MDIForm1::mnuRedo_Click() {
  if (Form1* form = ActiveForm()) form->Redo();
}
