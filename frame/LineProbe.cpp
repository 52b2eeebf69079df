// The line probe on the soft keyboard (Command51): shows the caret's line
// number, the lookup status and the line's text in the frame's title, then
// performs Backspace on the active editor through its key handler.

#include "control/RichTextBox.h"
#include "control/VirtualKeys.h"
#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "frame/MDIForm1.h"
#include "text/ProgramText.h"

void MDIForm1::Command51_Click() {
  Form1* form = ActiveForm();
  if (!form) return;  // nothing open to probe
  RichTextBox& box = *form->RichTextBox1;
  const int32_t line = box.GetLineFromChar(box.SelStart()) + 1;
  const LineInfo info = box.Line(line);
  SetCaption(SignedNumber(line) + QStringLiteral("行目 ") + SignedNumber(info.Status) +
             QStringLiteral(" ") + info.Text);
  int16_t keyCode = VirtualKey::kBack;
  form->RichTextBox1_KeyDown(keyCode, 0);
  box.SetFocus();
}
