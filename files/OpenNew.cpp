#include "editor/Form1.h"
#include "frame/FrameControls.h"
#include "frame/MDIForm1.h"
#include "files/ProgramFile.h"
#include "platform/DrawingLock.h"
#include "platform/RichTextBox.h"
#include "platform/Services.h"

void MDIForm1::mnuFileOpen_Click() {
  DisableFrameControls();
  DrawingLockGuard lock(this);
  EnableFrameControlsOnExit enable(*this);

  CommonDialog1.Filter = kProgramFileFilter;
  CommonDialog1.FileName = QString();
  CommonDialog1.Flags = OFN_FILEMUSTEXIST;
  CommonDialog1.ShowOpen();
  const QString path = CommonDialog1.FileName;
  if (path.isEmpty()) return;

  // A file can vanish or turn out unreadable after the dialog accepted it.
  QString text;
  if (!ReadProgramFile(path, text)) {
    MsgBox(services_, FileReport(path, QStringLiteral("上記のファイルを開けませんでした。")),
           MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
    return;
  }

  Form1* form = CreateForm();
  form->SetCaption(path);
  form->RichTextBox1->SetText(text);
  form->RecordBefore();  // undo returns to the text as opened, caret at 0
  form->SetVisible(true);
  FormNumber += 1;
  WinOrgNoCngWinOrder();
}

void MDIForm1::mnuNewProgram_Click() {
  DisableFrameControls();
  DrawingLockGuard lock(this);
  EnableFrameControlsOnExit enable(*this);

  Form1* form = CreateForm();
  form->SetCaption(kNewProgramCaption);
  form->SetVisible(true);
  FormNumber += 1;
  WinOrgNoCngWinOrder();
}
