#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "frame/MDIForm1.h"
#include "frame/StatusBar.h"
#include "platform/RichTextBox.h"

void Form1::ConnectControlEvents() {
  // The caret's line in status-bar panel 1 after every caret or selection change.
  RichTextBox1->SelChange = [this] {
    frame_->StatusBar1->Panels(1).SetText(
        LineText(RichTextBox1->GetLineFromChar(RichTextBox1->SelStart()) + 1));
  };
}
