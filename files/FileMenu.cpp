// The File menu's enabling, decided afresh each time the menu opens: Save,
// Save As, Print and Two-column print act on the active editor window and
// are offered only when it is in browse mode with nothing selected; Save
// needs a path in the caption, printing needs some text. Open and New are
// never changed here.

#include <QAction>

#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/RichTextBox.h"

void MDIForm1::mnuFile_Click() {
  bool save = false;
  bool saveAs = false;
  bool print = false;
  Form1* form = FormNumber > 0 ? ActiveForm() : nullptr;
  if (form) {
    const bool ready =
        form->EditDoneFlag != 1 && form->EditFlag != 1 && form->RichTextBox1->SelLength() == 0;
    if (ready) {
      saveAs = true;
      save = form->Caption() != QStringLiteral("新規");
      print = !form->RichTextBox1->Text().isEmpty();
    }
  }
  mnuOverWrite->setEnabled(save);
  mnuNameSave->setEnabled(saveAs);
  mnuPrintNormal->setEnabled(print);
  mnuPrint->setEnabled(print);
}
