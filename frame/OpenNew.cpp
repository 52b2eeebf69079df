// File ▸ Open and File ▸ New, which make editor windows: one for a program
// read from its file (File ▸ Open, and files from outside the frame), or an
// empty one captioned "新規". The window is arranged with the others.

#include "document/TextStore.h"
#include "editor/Form1.h"
#include "files/ProgramFile.h"
#include "frame/FrameControls.h"
#include "frame/MDIForm1.h"
#include "frame/OpenProgram.h"
#include "platform/DrawingLock.h"
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
  OpenProgramFile(*this, path);
}

Form1* LoadProgramWindow(MDIForm1& frame, const QString& path) {
  // A file can vanish or turn out unreadable after the dialog accepted it, and
  // nobody has looked at a path that comes from outside the frame.
  TextStore text;
  if (!ReadProgramFile(path, text)) return nullptr;

  Form1* form = frame.CreateForm();
  form->LoadProgram(path, text);
  form->SetVisible(true);
  return form;
}

void ReportUnreadableFile(MDIForm1& frame, const QString& path) {
  MsgBox(frame.services(), FileReport(path, QStringLiteral("上記のファイルを開けませんでした。")),
         MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
}

void OpenProgramFile(MDIForm1& frame, const QString& path) {
  if (LoadProgramWindow(frame, path)) {
    frame.WinOrgNoCngWinOrder();
  } else {
    ReportUnreadableFile(frame, path);
  }
}

void MDIForm1::mnuNewProgram_Click() {
  DisableFrameControls();
  DrawingLockGuard lock(this);
  EnableFrameControlsOnExit enable(*this);

  Form1* form = CreateForm();
  form->SetCaption(kNewProgramCaption);
  form->SetVisible(true);
  WinOrgNoCngWinOrder();
}
