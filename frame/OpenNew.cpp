// File ▸ Open and File ▸ New, which make editor windows: one for a program
// read from its file (File ▸ Open, and files from outside the frame), or an
// empty one captioned "新規". The window is arranged with the others.

#include <QElapsedTimer>
#include <algorithm>

#include "document/TextStore.h"
#include "editor/Form1.h"
#include "files/ProgramFile.h"
#include "frame/FrameControls.h"
#include "frame/MDIForm1.h"
#include "frame/OpenProgram.h"
#include "platform/DrawingLock.h"
#include "platform/Services.h"

void MDIForm1::mnuFileOpen_Click() {
  // A long operation turns the event loop while it runs; no file command
  // starts meanwhile.
  if (LongOperation::Running()) return;
  DisableFrameControls();
  // Drawing is locked while the dialog is up, but not while the file is
  // read: the frame paints meanwhile.
  std::optional<DrawingLockGuard> lock(std::in_place, this);
  EnableFrameControlsOnExit enable(*this);

  CommonDialog1.Filter = kProgramFileFilter;
  CommonDialog1.FileName = QString();
  CommonDialog1.Flags = OFN_FILEMUSTEXIST;
  CommonDialog1.ShowOpen();
  const QString path = CommonDialog1.FileName;
  if (path.isEmpty()) return;
  lock.reset();
  OpenProgramFile(*this, path);
}

ProgramReading::ProgramReading(MDIForm1& frame, int files) : files_(files) {
  operation_.emplace(&frame, QStringLiteral("開く"), [this] { return Label(); });
}

QString ProgramReading::Label() const {
  const int64_t percent = total_ > 0 ? std::clamp<int64_t>(done_ * 100 / total_, 0, 100) : 0;
  if (files_ > 1) {
    return QStringLiteral("読み込み中… %1 / %2 ファイル、%3 %").arg(file_).arg(files_).arg(percent);
  }
  return QStringLiteral("読み込み中… %1 %").arg(percent);
}

ProgramReading::Outcome ProgramReading::Read(const QString& path, TextStore& text,
                                             const std::function<void()>& onLongRead) {
  ++file_;
  done_ = total_ = 0;
  QElapsedTimer clock;
  clock.start();
  bool longRead = !onLongRead;
  bool stopped = false;
  const bool read = ReadProgramFile(path, text, [&](int64_t done, int64_t total) {
    done_ = done;
    total_ = total;
    if (!longRead && clock.elapsed() >= LongOperation::kSliceMs) {
      longRead = true;
      onLongRead();
    }
    stopped = !operation_->Continue(done, total);
    return !stopped;
  });
  if (read) return Outcome::kRead;
  if (!stopped) return Outcome::kUnreadable;
  return operation_->Cancelled() ? Outcome::kCancelled : Outcome::kFrameClosed;
}

Form1* MakeProgramWindow(MDIForm1& frame, const QString& path, const TextStore& text) {
  Form1* form = frame.CreateForm();
  form->LoadProgram(path, text);
  form->SetVisible(true);
  return form;
}

void ReportUnreadableFile(MDIForm1& frame, const QString& path) {
  MsgBox(frame.services(), FileReport(path, QStringLiteral("上記のファイルを開けませんでした。")),
         MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
}

void ReportCancelledOpen(MDIForm1& frame, const QString& path) {
  MsgBox(frame.services(),
         FileReport(path, QStringLiteral("上記のファイルを開くのを中止しました。")),
         MsgBoxStyle::kInformation, MsgBoxTitle::kReport);
}

void OpenProgramFile(MDIForm1& frame, const QString& path) {
  // A file can vanish or turn out unreadable after the dialog accepted it, and
  // nobody has looked at a path that comes from outside the frame.
  TextStore text;
  ProgramReading reading(frame, 1);
  const ProgramReading::Outcome outcome = reading.Read(path, text);
  reading.End();
  switch (outcome) {
    case ProgramReading::Outcome::kRead: {
      const DrawingLockGuard lock(&frame);
      MakeProgramWindow(frame, path, text);
      frame.WinOrgNoCngWinOrder();
      break;
    }
    case ProgramReading::Outcome::kUnreadable:
      ReportUnreadableFile(frame, path);
      break;
    case ProgramReading::Outcome::kCancelled:
      ReportCancelledOpen(frame, path);
      break;
    case ProgramReading::Outcome::kFrameClosed:
      break;
  }
}

void MDIForm1::mnuNewProgram_Click() {
  if (LongOperation::Running()) return;
  DisableFrameControls();
  DrawingLockGuard lock(this);
  EnableFrameControlsOnExit enable(*this);

  Form1* form = CreateForm();
  form->SetCaption(kNewProgramCaption);
  form->SetVisible(true);
  WinOrgNoCngWinOrder();
}
