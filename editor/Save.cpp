// Save and Save As: the window writes its program in the program file
// format, after the user has confirmed, and reports the result. The text and
// the state record stay as they are; Save As re-titles the window with the
// chosen path once the file has been written.

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "files/ProgramFile.h"
#include "files/ProgramWriter.h"
#include "platform/CommonDialog.h"
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

void Report(Services& services, const QString& text) {
  MsgBox(services, text, MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
}

bool Confirmed(Services& services, const QString& question) {
  return MsgBox(services, question, MsgBoxStyle::kQuestionYesNo, MsgBoxTitle::kQuestion) ==
         MsgBoxResult::kYes;
}

}  // namespace

bool Form1::WriteProgram(const QString& path) {
  const WriteResult result = WriteProgramFile(path, RichTextBox1->Snapshot());
  switch (result.status) {
    case WriteStatus::kWritten:
      return true;
    case WriteStatus::kUnencodable:
      Report(services_, FileReport(path, kUnencodable) + kCrLf + LineText(result.badLine));
      return false;
    case WriteStatus::kFailed:
      break;
  }
  Report(services_, FileReport(path, kWriteFailed));
  return false;
}

bool Form1::Save() {
  if (!Confirmed(services_, kSaveAsks)) {
    Report(services_, kSaveDeclined);
    return true;
  }
  const QString path = Caption();
  if (WriteProgram(path)) Report(services_, FileReport(path, kSaveDone));
  return true;
}

bool Form1::SaveAs(CommonDialog& dialog) {
  if (!Confirmed(services_, kSaveAsAsks)) {
    Report(services_, kSaveAsDeclined);
    return true;
  }
  dialog.Filter = kProgramFileFilter;
  dialog.FileName = QString();
  dialog.Flags = OFN_OVERWRITEPROMPT;
  dialog.ShowSave();
  const QString path = dialog.FileName;
  if (path.isEmpty()) {
    // A cancelled dialog leaves the focus where the dialog left it.
    Report(services_, kSaveAsDeclined);
    return false;
  }
  if (WriteProgram(path)) {
    SetCaption(path);
    Report(services_, FileReport(Caption(), kSaveAsDone));
  }
  return true;
}
