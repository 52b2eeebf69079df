// File ▸ Save and Save As through the frame: questions and reports, the file
// written, the dialog, failures, and the editor left as it was.

#include <QAction>
#include <QMdiArea>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <functional>
#include <utility>

#include "document/TextStore.h"
#include "files/ProgramWriter.h"
#include "frame/FrameFixture.h"
#include "platform/LongOperation.h"
#include "platform/Services.h"

namespace {

const QString kSaveAsks = QStringLiteral(
    "プログラムを上書き保存しますか？\r\n\r\n"
    "実行した場合、ファイルの内容は現在編集中のプログラムに置き換えられます。");
const QString kSaveAsAsks = QStringLiteral(
    "プログラムに名前を付けて保存しますか？\r\n\r\n"
    "既に存在するファイルを選択した場合、ファイルの内容は現在編集中のプログラムに置き換えられます。");

class Save : public FrameFixture {
 protected:
  QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
  }

  // The messages shown, as "title|style|prompt".
  QStringList Shown() const {
    QStringList shown;
    for (const ShownMessage& m : services.messages)
      shown << QStringLiteral("%1|%2|%3").arg(m.title).arg(m.style).arg(m.prompt);
    return shown;
  }

  static QString Report(const QString& prompt) { return QStringLiteral("報告|64|") + prompt; }
  static QString Question(const QString& prompt) {
    return QStringLiteral("問い合わせ|36|") + prompt;
  }
};

TEST_F(Save, WritesTheProgramToTheCaptionsPath) {
  Form1* form = OpenProgram("A.m", "G01X10\r\n");
  const QString path = form->Caption();
  const struct {
    QString text;
    QByteArray bytes;
  } cases[] = {
      {QStringLiteral("G01 X10 ;\r\nG00 Y5 ;\r\n"), "G01X10\r\nG00Y5\r\n"},
      {QStringLiteral("g01 x10 ;\r\n"), "G01X10\r\n"},
      {QStringLiteral("A ;\r\n ;\r\n"), "A\r\n\r\n"},
      {QStringLiteral("G01 X10 ;\r\nG00 Y5"), "G01X10\r\nG00Y5"},
      {QString(), QByteArray()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    services.messages.clear();
    form->RichTextBox1->SetText(c.text);
    frame->mnuOverWrite_Click();
    EXPECT_EQ(Read(path), c.bytes);
    EXPECT_EQ(Shown(), QStringList({Question(kSaveAsks),
                                    Report(path + QStringLiteral("\r\n\r\n上記のプログラムを上書き保存しました。"))}));
  }
}

TEST_F(Save, DeclinedSaveWritesNothing) {
  Form1* form = OpenProgram("A.m", "OLD\r\n");
  form->RichTextBox1->SetText(QStringLiteral("NEW ;\r\n"));
  services.answers = {MsgBoxResult::kNo};
  frame->mnuOverWrite_Click();
  EXPECT_EQ(Read(form->Caption()), QByteArray("OLD\r\n"));
  EXPECT_EQ(Shown(), QStringList({Question(kSaveAsks),
                                  Report(QStringLiteral("「上書き保存を」キャンセルしました。"))}));
  EXPECT_TRUE(frame->MenuItem("mnuFileOpen")->isEnabled());
}

TEST_F(Save, FrameControlsAreOffWhileAsking) {
  OpenProgram("A.m");
  int asked = 0;
  services.onMessage = [&](const ShownMessage&) {
    ++asked;
    EXPECT_FALSE(frame->MenuItem("mnuFileOpen")->isEnabled());
  };
  frame->mnuOverWrite_Click();
  frame->mnuNameSave_Click();  // the dialog is cancelled
  EXPECT_EQ(asked, 4);
  EXPECT_TRUE(frame->MenuItem("mnuFileOpen")->isEnabled());
  EXPECT_TRUE(frame->MenuItem("mnuNewProgram")->isEnabled());
}

TEST_F(Save, SaveAsWritesRetitlesAndLaterSavesGoThere) {
  Form1* form = OpenProgram("A.m", "OLD\r\n");
  const QString oldPath = form->Caption();
  const QString newPath = dir.filePath(QStringLiteral("renamed"));  // typed without extension
  form->RichTextBox1->SetText(QStringLiteral("G01 X1 ;\r\n"));
  services.savePaths = {newPath};
  frame->mnuNameSave_Click();

  ASSERT_EQ(services.saveCalls.size(), 1u);
  EXPECT_EQ(services.saveCalls[0].filter, QStringLiteral("ﾒｲﾝ(*.m),ﾊﾞｯｸ(*.s)|*.m;*.s"));
  EXPECT_EQ(services.saveCalls[0].flags, 2);
  EXPECT_EQ(Read(newPath), QByteArray("G01X1\r\n"));
  EXPECT_EQ(form->Caption(), newPath);
  EXPECT_EQ(Shown(), QStringList({Question(kSaveAsAsks),
                                  Report(newPath + QStringLiteral("\r\n\r\n上記の名前を付けてプログラムを保存しました。"))}));

  form->RichTextBox1->SetText(QStringLiteral("G01 X2 ;\r\n"));
  frame->mnuOverWrite_Click();
  EXPECT_EQ(Read(newPath), QByteArray("G01X2\r\n"));
  EXPECT_EQ(Read(oldPath), QByteArray("OLD\r\n"));
}

TEST_F(Save, SaveAsDeclinedOrCancelledWritesNothing) {
  Form1* form = New();
  form->RichTextBox1->SetText(QStringLiteral("G01 X1 ;\r\n"));
  const QString declined = QStringLiteral("「名前を付けて保存」をキャンセルしました。");

  services.answers = {MsgBoxResult::kNo};
  frame->mnuNameSave_Click();
  EXPECT_TRUE(services.saveCalls.empty()) << "no dialog after No";
  EXPECT_EQ(Shown(), QStringList({Question(kSaveAsAsks), Report(declined)}));

  services.messages.clear();
  frame->mnuNameSave_Click();  // the dialog answers "": cancelled
  EXPECT_EQ(services.saveCalls.size(), 1u);
  EXPECT_EQ(Shown(), QStringList({Question(kSaveAsAsks), Report(declined)}));
  EXPECT_EQ(form->Caption(), QStringLiteral("新規"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

// Which window is active after a command during whose last report another
// window was activated: the command gives the focus back, or leaves it.
TEST_F(Save, FocusReturnsToTheEditorExceptAfterACancelledDialog) {
  Form1* a = OpenProgram("A.m");
  Form1* b = OpenProgram("B.m");
  frame->mdiArea()->setActiveSubWindow(a);
  services.onMessage = [&](const ShownMessage& m) {
    if (m.style == MsgBoxStyle::kInformation) frame->mdiArea()->setActiveSubWindow(b);
  };
  const struct {
    const char* name;
    void (MDIForm1::*command)();
    std::deque<int> answers;
    std::deque<QString> savePaths;
    Form1* activeAfter;
  } cases[] = {
      {"save", &MDIForm1::mnuOverWrite_Click, {}, {}, a},
      {"save declined", &MDIForm1::mnuOverWrite_Click, {MsgBoxResult::kNo}, {}, a},
      {"save as", &MDIForm1::mnuNameSave_Click, {}, {dir.filePath(QStringLiteral("C.m"))}, a},
      {"save as declined", &MDIForm1::mnuNameSave_Click, {MsgBoxResult::kNo}, {}, a},
      {"save as cancelled", &MDIForm1::mnuNameSave_Click, {}, {QString()}, b},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    frame->mdiArea()->setActiveSubWindow(a);
    services.answers = c.answers;
    services.savePaths = c.savePaths;
    (frame.get()->*c.command)();
    EXPECT_EQ(frame->ActiveForm(), c.activeAfter);
  }
}

TEST_F(Save, FailedWriteIsReportedAndKeepsOldFileAndCaption) {
  Form1* form = OpenProgram("A.m", "OLD\r\n");
  const QString path = form->Caption();
  form->RichTextBox1->SetText(QStringLiteral("NEW ;\r\n"));
  const QString failed = QStringLiteral("\r\n\r\n上記のファイルに保存できませんでした。");

  // Save As into a folder that does not exist, and onto a folder.
  const QString folder = dir.filePath(QStringLiteral("folder.m"));
  ASSERT_TRUE(QDir().mkdir(folder));
  for (const QString& target : {dir.filePath(QStringLiteral("missing/B.m")), folder}) {
    SCOPED_TRACE(target.toStdString());
    services.messages.clear();
    services.savePaths = {target};
    frame->mnuNameSave_Click();
    EXPECT_EQ(Shown(), QStringList({Question(kSaveAsAsks), Report(target + failed)}));
    EXPECT_EQ(form->Caption(), path);
  }

  // Save onto a file whose place a folder has taken.
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(QDir().mkdir(path));
  services.messages.clear();
  frame->mnuOverWrite_Click();
  EXPECT_EQ(Shown(), QStringList({Question(kSaveAsks), Report(path + failed)}));
  EXPECT_TRUE(QFileInfo(path).isDir());
  EXPECT_TRUE(frame->MenuItem("mnuFileOpen")->isEnabled());
}

TEST_F(Save, CharacterWithoutCp932FormStopsTheSave) {
  Form1* form = OpenProgram("A.m", "OLD\r\n");
  const QString path = form->Caption();
  form->RichTextBox1->SetText(QString::fromUtf16(u"G01 ;\r\n ;\r\n(\u00E9) ;\r\n"));
  services.savePaths = {dir.filePath(QStringLiteral("B.m"))};
  frame->mnuOverWrite_Click();
  frame->mnuNameSave_Click();
  const QString sentence = QStringLiteral(
      "\r\n\r\n保存できない文字が含まれているため、保存しませんでした。\r\n 3行目");
  EXPECT_EQ(Shown(), QStringList({Question(kSaveAsks), Report(path + sentence),
                                  Question(kSaveAsAsks),
                                  Report(dir.filePath(QStringLiteral("B.m")) + sentence)}));
  EXPECT_EQ(Read(path), QByteArray("OLD\r\n"));
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("B.m"))));
  EXPECT_EQ(form->Caption(), path);
}

TEST_F(Save, OpenSaveOpenKeepsTextAndBytes) {
  const QByteArray files[] = {
      "G01X10\r\nG00Y5\r\n",
      "N1G90\r\n\r\nX1.Y-2.5\r\nM30",
      // あ and 漢 in CP932, and bytes that are no CP932 character (0x80, 0xA0, 0xFD, 0xFF).
      "G01(\x82\xa0\x8a\xbf)\r\nX\x80Y\xa0\r\n\xfd\xff\r\n",
  };
  for (const QByteArray& bytes : files) {
    SCOPED_TRACE(bytes.toStdString());
    Form1* form = OpenProgram("R.m", bytes);
    const QString canonical = form->RichTextBox1->Text();
    frame->mnuOverWrite_Click();
    EXPECT_EQ(Read(form->Caption()), bytes);
    Form1* again = Open(form->Caption());
    EXPECT_EQ(again->RichTextBox1->Text(), canonical);
  }
}

TEST_F(Save, EditorStateIsLeftAsItWas) {
  Form1* form = OpenProgram("A.m", "G01X10\r\nG00Y5\r\n");
  EditHistory history;  // a change, then undone
  history.RecordBefore(TextStore(QStringLiteral("undo")), 3);
  history.RecordAfter(TextStore(QStringLiteral("redo")), 4);
  history.Undo();
  form->CopyHistoryFrom(history);
  form->RichTextBox1->SetText(QStringLiteral("g01 x10 ;\r\n"));
  form->RichTextBox1->SetSelStart(4);
  const QString mode = form->modeText();

  services.savePaths = {dir.filePath(QStringLiteral("B.m"))};
  frame->mnuOverWrite_Click();
  frame->mnuNameSave_Click();

  EXPECT_EQ(form->EditFlag, 0);
  EXPECT_EQ(form->EditDoneFlag, 0);
  EXPECT_EQ(form->UndoText.toString(), QStringLiteral("undo"));
  EXPECT_EQ(form->UndoStartPos, 3);
  EXPECT_EQ(form->RedoText.toString(), QStringLiteral("redo"));
  EXPECT_EQ(form->RedoStartPos, 4);
  EXPECT_EQ(form->RedoUndoFlag, 1);
  EXPECT_EQ(form->EditingStartedFlag, 1);
  EXPECT_EQ(form->RichTextBox1->Text(), QStringLiteral("g01 x10 ;\r\n"));
  EXPECT_EQ(form->RichTextBox1->SelStart(), 4);
  EXPECT_EQ(form->modeText(), mode);
}

// A save that takes a while: 40 MB of program, much of it kana, which goes
// through the CP932 encoder. A timer that the save's turns of the event loop
// fire first waits out the progress box's delay, then runs `during` on each
// turn once the box shows.
class LongSave : public Save {
 protected:
  static const QString& LongText() {
    static const QString text = [] {
      QString t;
      for (int n = 0; t.size() < 40'000'000; ++n)
        t += QStringLiteral("n%1 g01 x10 ; (カナカナカナカナカナ)\r\n").arg(n);
      return t;
    }();
    return text;
  }
  void WhileTheBoxShows(const std::function<void(QProgressDialog*)>& during) {
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [this, during] {
      if (!waited) {
        QThread::msleep(LongOperation::kProgressAfterMs);
        waited = true;
        return;
      }
      auto* box = frame->findChild<QProgressDialog*>();
      if (!box || !box->isVisible()) return;
      boxSeen = box->windowTitle() + '|' + box->labelText().left(4);
      during(box);
    });
    timer.start();
  }
  void Run(void (MDIForm1::*command)()) {
    (frame.get()->*command)();
    timer.stop();
    timer.disconnect();
    waited = false;
  }
  QStringList Files() const {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }
  QTimer timer;
  bool waited = false;
  QString boxSeen;
};

TEST_F(LongSave, CancelLeavesTheFileAsItWasAndSaysSo) {
  const QString cancelled =
      QStringLiteral("\r\n\r\n上記のファイルへの保存を中止しました。ファイルは元のままです。");
  const struct {
    const char* name;
    bool saveAs, hardLinked, targetExists;
  } cases[] = {
      {"save", false, false, true},
      {"save of a hard-linked file, written in place", false, true, true},
      {"save as over an existing file", true, false, true},
      {"save as to a new name", true, false, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString name = QStringLiteral("A%1.m").arg(n++);
    QPointer<Form1> form = OpenProgram(name, "OLD\r\n");
    const QString path = form->Caption();
    if (c.hardLinked) {
      ASSERT_TRUE(QFile::link(path, path + QStringLiteral(".link")));
    }
    const QString target = c.saveAs ? dir.filePath(QStringLiteral("T%1.m").arg(n)) : path;
    if (c.saveAs && c.targetExists) WriteFile(QFileInfo(target).fileName(), "TARGET");
    const QByteArray before = Read(target);
    const QStringList files = Files();
    form->RichTextBox1->SetText(LongText());
    services.messages.clear();
    services.savePaths = {target};
    bool cancelledOnce = false;
    WhileTheBoxShows([&](QProgressDialog* box) {
      EXPECT_FALSE(frame->MenuItem("mnuFileOpen")->isEnabled());
      if (!std::exchange(cancelledOnce, true)) box->cancel();
    });
    Run(c.saveAs ? &MDIForm1::mnuNameSave_Click : &MDIForm1::mnuOverWrite_Click);
    EXPECT_EQ(boxSeen, QStringLiteral("保存|保存中…"));
    EXPECT_TRUE(cancelledOnce);
    EXPECT_EQ(Read(target), before);
    EXPECT_EQ(Files(), files) << "nothing left beside the file";
    EXPECT_EQ(Shown(), QStringList({Question(c.saveAs ? kSaveAsAsks : kSaveAsks),
                                    Report(target + cancelled)}));
    EXPECT_EQ(form->Caption(), path);
    EXPECT_EQ(frame->findChild<QProgressDialog*>(), nullptr);
    EXPECT_TRUE(frame->MenuItem("mnuFileOpen")->isEnabled());
    form->close();
    FlushDeletes();
  }
}

// The file gets the text as it stood when the save began, byte for byte as a
// save without progress writes it, whatever happens to the window meanwhile;
// a closed frame stops the save and shows nothing more.
TEST_F(LongSave, WritesTheTextAsItWasWhenTheSaveBegan) {
  const QString reference = dir.filePath(QStringLiteral("reference"));
  ASSERT_EQ(WriteProgramFile(reference, TextStore(LongText())).status, WriteStatus::kWritten);
  const QByteArray expected = Read(reference);

  QPointer<Form1> form = OpenProgram("A.m", "OLD\r\n");
  const QString path = form->Caption();
  form->RichTextBox1->SetText(LongText());
  WhileTheBoxShows([&](QProgressDialog*) { form->RichTextBox1->SetText(QStringLiteral("NEW")); });
  Run(&MDIForm1::mnuOverWrite_Click);
  EXPECT_EQ(boxSeen, QStringLiteral("保存|保存中…"));
  EXPECT_TRUE(Read(path) == expected) << "the text typed meanwhile is not saved";
  EXPECT_EQ(Shown().last(), Report(path + QStringLiteral("\r\n\r\n上記のプログラムを上書き保存しました。")));

  // Save As of a window closed meanwhile: written and reported; no caption.
  form->RichTextBox1->SetText(LongText());
  const QString target = dir.filePath(QStringLiteral("B.m"));
  services.savePaths = {target};
  WhileTheBoxShows([&](QProgressDialog*) {
    if (form) form->close();
  });
  Run(&MDIForm1::mnuNameSave_Click);
  FlushDeletes();
  EXPECT_EQ(form, nullptr);
  EXPECT_TRUE(Read(target) == expected);
  EXPECT_EQ(Shown().last(), Report(target + QStringLiteral("\r\n\r\n上記の名前を付けてプログラムを保存しました。")));

  // The frame closed meanwhile.
  form = OpenProgram("C.m", "OLD\r\n");
  form->RichTextBox1->SetText(LongText());
  const QStringList files = Files();
  services.messages.clear();
  WhileTheBoxShows([&](QProgressDialog*) { frame->close(); });
  Run(&MDIForm1::mnuOverWrite_Click);
  EXPECT_EQ(Read(dir.filePath(QStringLiteral("C.m"))), QByteArray("OLD\r\n"));
  EXPECT_EQ(Files(), files);
  EXPECT_EQ(Shown(), QStringList({Question(kSaveAsks)}));
}

}  // namespace
