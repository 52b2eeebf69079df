// The Edit menu's enabling, computed each time the menu opens. Since the items
// have no shortcut keys, this is the only guard the edit commands have.

#include <QAction>

#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/RichTextBox.h"

void MDIForm1::mnuEdit_Click() {
  QAction* const items[] = {mnuUndo, mnuRedo, mnuCut, mnuCopy, mnuPaste};
  Form1* form = FormNumber > 0 ? ActiveForm() : nullptr;
  if (!form) {
    for (QAction* item : items) item->setEnabled(false);
    return;
  }
  const bool idle = form->EditFlag != 1 && form->EditDoneFlag != 1;
  const bool selected = form->RichTextBox1->SelLength() != 0;
  mnuUndo->setEnabled(idle && !selected && form->RedoUndoFlag == 0 && form->EditingStartedFlag != 0);
  mnuRedo->setEnabled(idle && !selected && form->RedoUndoFlag == 1);
  mnuCut->setEnabled(idle && selected);
  mnuCopy->setEnabled(idle && selected);
  mnuPaste->setEnabled(idle && !selected && !PasteText.isEmpty());
}
