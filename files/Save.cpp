// File ▸ Save and File ▸ Save As: write the active editor window's program
// in the program file format, after the user has confirmed, and report the
// result. The window's text and state record stay as they are; Save As
// re-titles the window with the chosen path once the file has been written.

#include <QPointer>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "files/ProgramFile.h"
#include "files/ProgramWriter.h"
#include "frame/FrameControls.h"
#include "frame/MDIForm1.h"
#include "platform/Services.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

const QString kSaveAsks = QStringLiteral("プログラムを上書き保存しますか？") + kCrLf + kCrLf +
                          QStringLiteral("実行した場合、ファイルの内容は現在編集中のプログラムに置き換えられます。");
const QString kSaveDone = QStringLiteral("上記のプログラムを上書き保存しました。");
const QString kSaveDeclined = QStringLiteral("「上書き保存を」キャンセルしました。");
const QString kSaveAsAsks =
    QStringLiteral("プログラムに名前を付けて保存しますか？") + kCrLf + kCrLf +
    QStringLiteral("既に存在するファイルを選択した場合、ファイルの内容は現在編集中のプログラムに置き換えられます。");
const QString kSaveAsDone = QStringLiteral("上記の名前を付けてプログラムを保存しました。");
const QString kSaveAsDeclined = QStringLiteral("「名前を付けて保存」をキャンセルしました。");
const QString kWriteFailed = QStringLiteral("上記のファイルに保存できませんでした。");
const QString kUnencodable =
    QStringLiteral("保存できない文字が含まれているため、保存しませんでした。");

// Writes the window's program to `path`; on failure reports why and returns false.
bool WriteReportingFailure(MDIForm1& frame, const Form1& form, const QString& path) {
  const WriteResult result = WriteProgramFile(path, form.RichTextBox1->Snapshot());
  switch (result.status) {
    case WriteStatus::kWritten:
      return true;
    case WriteStatus::kUnencodable:
      MsgBox(frame.services(), FileReport(path, kUnencodable) + kCrLf + LineText(result.badLine),
             MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
      return false;
    case WriteStatus::kFailed:
      break;
  }
  MsgBox(frame.services(), FileReport(path, kWriteFailed), MsgBoxStyle::kInformation,
         MsgBoxTitle::kReport);
  return false;
}

}  // namespace

void MDIForm1::mnuOverWrite_Click() {
  const QPointer<Form1> form = ActiveForm();
  if (!form) return;
  {
    DisableFrameControls();
    const EnableFrameControlsOnExit enableOnExit(*this);
    if (MsgBox(services(), kSaveAsks, MsgBoxStyle::kQuestionYesNo, MsgBoxTitle::kQuestion) ==
        MsgBoxResult::kYes) {
      const QString path = form->Caption();
      if (WriteReportingFailure(*this, *form, path)) {
        MsgBox(services(), FileReport(path, kSaveDone), MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
      }
    } else {
      MsgBox(services(), kSaveDeclined, MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
    }
  }
  if (form) form->SetFocus();
}

void MDIForm1::mnuNameSave_Click() {
  const QPointer<Form1> form = ActiveForm();
  if (!form) return;
  {
    DisableFrameControls();
    const EnableFrameControlsOnExit enableOnExit(*this);
    if (MsgBox(services(), kSaveAsAsks, MsgBoxStyle::kQuestionYesNo, MsgBoxTitle::kQuestion) ==
        MsgBoxResult::kYes) {
      CommonDialog1.Filter = kProgramFileFilter;
      CommonDialog1.FileName = QString();
      CommonDialog1.Flags = OFN_OVERWRITEPROMPT;
      CommonDialog1.ShowSave();
      const QString path = CommonDialog1.FileName;
      if (path.isEmpty()) {
        // A cancelled dialog leaves the focus where the dialog left it.
        MsgBox(services(), kSaveAsDeclined, MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
        return;
      }
      if (WriteReportingFailure(*this, *form, path)) {
        form->SetCaption(path);
        MsgBox(services(), FileReport(form->Caption(), kSaveAsDone), MsgBoxStyle::kInformation,
               MsgBoxTitle::kReport);
      }
    } else {
      MsgBox(services(), kSaveAsDeclined, MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
    }
  }
  if (form) form->SetFocus();
}
