// Save and Save As: the window writes its program in the program file
// format, after the user has confirmed, and reports the result. The text and
// the state record stay as they are; Save As re-titles the window with the
// chosen path once the file has been written.
//
// The write is a long operation: the frame paints and answers meanwhile, and
// after a moment a progress box offers "中止", which leaves the file as it
// was. What is written is the text as it stood when the save began; the
// window may be typed into or closed meanwhile.

#include <QPointer>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "editor/ModeTexts.h"
#include "files/ProgramFile.h"
#include "files/ProgramWriter.h"
#include "platform/CommonDialog.h"
#include "platform/LongOperation.h"
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
const QString kWriteCancelled =
    QStringLiteral("上記のファイルへの保存を中止しました。ファイルは元のままです。");
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

// The write turns the event loop, so this window may be gone when it ends:
// nothing of it is touched afterwards. True when the file was written and the
// frame is still there; a frame closed meanwhile shows nothing more.
bool Form1::WriteProgram(const QString& path) {
  Services& services = services_;
  const TextStore text = RichTextBox1->Snapshot();
  int64_t percent = 0;
  LongOperation operation(window(), QStringLiteral("保存"),
                          [&percent] { return QStringLiteral("保存中… %1 %").arg(percent); });
  const WriteResult result = WriteProgramFile(path, text, [&](int64_t done, int64_t total) {
    percent = done * 100 / total;
    return operation.Continue(done, total);
  });
  operation.EndProgress();
  if (operation.FrameClosed()) return false;
  switch (result.status) {
    case WriteStatus::kWritten:
      return true;
    case WriteStatus::kCancelled:
      Report(services, FileReport(path, kWriteCancelled));
      return false;
    case WriteStatus::kUnencodable:
      Report(services, FileReport(path, kUnencodable) + kCrLf + LineText(result.badLine));
      return false;
    case WriteStatus::kFailed:
      break;
  }
  Report(services, FileReport(path, kWriteFailed));
  return false;
}

bool Form1::Save() {
  if (!Confirmed(services_, kSaveAsks)) {
    Report(services_, kSaveDeclined);
    return true;
  }
  const QPointer<Form1> self(this);
  Services& services = services_;
  const QString path = Caption();
  if (WriteProgram(path)) Report(services, FileReport(path, kSaveDone));
  return self != nullptr;
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
  const QPointer<Form1> self(this);
  Services& services = services_;
  if (WriteProgram(path)) {
    // A window closed meanwhile has no caption to take; the file is written.
    if (self) self->SetCaption(path);
    Report(services, FileReport(self ? self->Caption() : path, kSaveAsDone));
  }
  return self != nullptr;
}
