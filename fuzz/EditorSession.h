#pragma once
// Plays a byte stream on a whole frame as a user would: keys and typed
// characters on the active editor's control, input-method text, mouse presses,
// moves and releases, the menus (each opened first, an item chosen only when
// it is then enabled), closing and activating windows, the line probe and the
// answers to questions and file dialogs. After every event it checks what must
// always hold and names the first thing broken.
//
// The editor fuzz target and the regression tests share this decoder, so that
// an input the fuzzer keeps replays the same way in the test suite.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "platform/DrawingLock.h"
#include "platform/Printer.h"
#include "platform/RichTextBox.h"
#include "platform/Services.h"
#include "editor/ModeTexts.h"
#include "tests/support/FrameChecks.h"

namespace editor_fuzz {

// The first byte of each event picks its kind (modulo the count).
enum Op : uint8_t {
  kKey,         // key byte, modifier byte
  kChar,        // character byte
  kInputMethod, // kind byte
  kMousePress,  // button byte, x byte, y byte
  kMouseMove,   // x byte, y byte
  kMouseRelease,// button byte, x byte, y byte
  kFileMenu,    // item byte, choice byte
  kEditMenu,    // item byte
  kWindowMenu,  // (none)
  kClose,       // window byte
  kActivate,    // window byte
  kAnswer,      // answer byte: the next question's answer
  kProbe,       // (none): the line-probe key of the soft keyboard
  kViewMenu,    // item byte
  kOpCount
};

// Items of the File menu, by the item byte (modulo the count).
enum FileItem : uint8_t { kOpen, kNew, kSave, kSaveAs, kPrint, kPrintTwo, kFileItemCount };
enum EditItem : uint8_t { kUndo, kRedo, kCut, kCopy, kPaste, kEditItemCount };

// A printer that takes everything and keeps nothing.
class NullPrinter : public Printer {
 public:
  bool IsAvailable() const override { return true; }
  void SetFontName(const QString&) override {}
  void SetFontSize(double) override {}
  void SetCurrentX(double) override {}
  void SetCurrentY(double) override {}
  void SetOrientation(int) override {}
  void SetColorMode(int) override {}
  void SetDuplex(int) override {}
  double ScaleWidth() const override { return 600; }
  double ScaleHeight() const override { return 800; }
  double TextWidth(const QString& text) const override { return 10.0 * double(text.size()); }
  double TextHeight(const QString&) const override { return 20; }
  bool Print(const QString&) override { return true; }
  bool EndDoc() override { return true; }
};

// Questions take the answers the stream gave (Yes when none is left), reports
// are acknowledged, dialogs return the path the stream chose.
class SessionServices : public Services {
 public:
  std::deque<int> answers;
  QString nextPath;           // what the next dialog returns ("" = cancelled)
  QString vanishOnDialog;     // a file removed while the dialog is up
  int messages = 0;

  int MsgBox(const QString&, int style, const QString&) override {
    ++messages;
    if (!(style & MsgBoxStyle::kYesNo)) return MsgBoxResult::kOk;
    if (answers.empty()) return MsgBoxResult::kYes;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString ShowOpenDialog(const QString&, int) override { return Dialog(); }
  QString ShowSaveDialog(const QString&, int) override { return Dialog(); }
  std::unique_ptr<Printer> DefaultPrinter() override { return std::make_unique<NullPrinter>(); }

 private:
  QString Dialog() {
    if (!vanishOnDialog.isEmpty()) QFile::remove(vanishOnDialog);
    vanishOnDialog.clear();
    QString path = nextPath;
    nextPath.clear();
    return path;
  }
};

// The files a session opens and saves to, rewritten before every session so
// that each one starts from the same disk.
class SessionFiles {
 public:
  explicit SessionFiles(const QString& dir) : dir_(dir) {
    QByteArray png;
    {
      QImage image(8, 8, QImage::Format_RGB32);
      image.fill(Qt::red);
      QFile file(dir_.filePath(QStringLiteral("picture.png")));
      if (file.open(QIODevice::WriteOnly)) image.save(&file, "PNG");
    }
    QFile file(dir_.filePath(QStringLiteral("picture.png")));
    if (file.open(QIODevice::ReadOnly)) png = file.readAll();

    contents_ = {
        {"program.m", "G90G54\r\nG01X10.Y-20.5F100\r\n\r\nM30\r\n"},
        {"back.s", "N1G00X0Y0\r\nN2G02X5.Y5.R5.\r\nN3M99"},
        {"empty.m", QByteArray()},
        {"nul.m", QByteArray(64, '\0')},
        {"picture.m", png},
        {"longline.m", QByteArray(20000, 'X')},
        // A lead byte at the end, bytes that are no CP932 character.
        {"badbytes.m", QByteArray("G01\x80X1\xff\r\n\xa0Y\x82\xa0\r\nZ\x81")},
        {"bare.m", QByteArray("A1\rB2\nC3\r\r\nD4\n\r")},
        {"japanese.m", QByteArray("(\x89\xc1\x8d\x48)G01\r\n(\xb6\xc0)\r\n")},
        {"vanish.m", QByteArray("X1\r\n")},
    };
    Reset();
  }

  // Writes every prepared file afresh and removes what earlier sessions made.
  void Reset() {
    QDir dir(dir_.path());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
      if (name == QStringLiteral("picture.png")) continue;
      const QString path = dir.filePath(name);
      QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
      if (QFileInfo(path).isDir()) QDir(path).removeRecursively();
      else QFile::remove(path);
    }
    for (const auto& [name, bytes] : contents_) {
      QFile file(dir.filePath(QLatin1String(name)));
      if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    }
    dir.mkdir(QStringLiteral("folder.m"));
  }

  // Paths the open dialog can return: the prepared files, a folder, a missing
  // file, a file that vanishes while the dialog is up, and "" (cancelled).
  QString OpenChoice(uint8_t choice, QString& vanish) const {
    const int count = int(contents_.size());
    const int pick = choice % (count + 3);
    if (pick < count) {
      const QString path = dir_.filePath(QLatin1String(contents_[size_t(pick)].first));
      if (contents_[size_t(pick)].first == std::string("vanish.m")) vanish = path;
      return path;
    }
    if (pick == count) return dir_.filePath(QStringLiteral("folder.m"));
    if (pick == count + 1) return dir_.filePath(QStringLiteral("missing.m"));
    return QString();
  }

  // Paths the save dialog can return: a new file, an existing one, a folder,
  // a file in a missing folder, a name without extension, and "" (cancelled).
  QString SaveChoice(uint8_t choice) const {
    switch (choice % 6) {
      case 0: return dir_.filePath(QStringLiteral("saved.m"));
      case 1: return dir_.filePath(QStringLiteral("program.m"));
      case 2: return dir_.filePath(QStringLiteral("folder.m"));
      case 3: return dir_.filePath(QStringLiteral("nowhere/x.m"));
      case 4: return dir_.filePath(QStringLiteral("noext"));
      default: return QString();
    }
  }

 private:
  QDir dir_;
  std::vector<std::pair<const char*, QByteArray>> contents_;
};

// A shown frame that sessions share: building one takes far longer than
// playing most inputs, so each session starts by bringing it back to the state
// it had when it was new.
class EditorStage {
 public:
  EditorStage() : frame_(std::make_unique<MDIForm1>(services_)) {
    frame_->show();
    softKeyboardShown_ = frame_->Toolbar1->isVisibleTo(frame_.get());
    caption_ = frame_->Caption();
  }

  ~EditorStage() {
    frame_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Every editor window closed, the buffer empty, the bars and caption as new.
  void Reset() {
    for (Form1* form : frame_->Forms()) form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frame_->PasteText.clear();
    frame_->SetCaption(caption_);
    if (frame_->Toolbar1->isVisibleTo(frame_.get()) != softKeyboardShown_)
      (softKeyboardShown_ ? frame_->MenuItem("mnuBarSoftKeybord") : frame_->MenuItem("mnuBarRadian"))->trigger();
    services_ = SessionServices();
  }

  MDIForm1& frame() { return *frame_; }
  SessionServices& services() { return services_; }

 private:
  SessionServices services_;
  std::unique_ptr<MDIForm1> frame_;
  bool softKeyboardShown_ = true;
  QString caption_;
};

// One byte stream played on the stage's frame.
class EditorSession {
 public:
  EditorSession(EditorStage& stage, SessionFiles& files)
      : files_(files), services_(stage.services()), frame_(&stage.frame()) {
    stage.Reset();
    files_.Reset();
  }

  // Plays the stream; "" when every check held, else what broke first.
  std::string Play(const uint8_t* data, size_t size) {
    data_ = data;
    size_ = size;
    at_ = 0;
    std::string broken = Check(false);
    while (broken.empty() && at_ < size_) {
      const bool fileCommand = Step();
      FlushDeletes();
      broken = Check(fileCommand);
    }
    return broken;
  }

  MDIForm1& frame() { return *frame_; }

 private:
  static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }

  RichTextBox* ActiveBox() const {
    Form1* form = frame_->ActiveForm();
    return form ? form->RichTextBox1 : nullptr;
  }

  // One event; true when it was a file command (Open, New, Save, Save As).
  bool Step() {
    const uint8_t op = Next() % kOpCount;
    const bool undoDone = undoJustDone_;
    undoJustDone_ = false;
    switch (op) {
      case kKey: {
        const uint8_t key = Next();
        Key(key, Next());
        break;
      }
      case kChar: Char(Next()); break;
      case kInputMethod: InputMethod(Next()); break;
      case kMousePress:
      case kMouseMove:
      case kMouseRelease: {
        // Arguments are read in stream order: button (not for a move), x, y.
        const uint8_t button = op == kMouseMove ? 0 : Next();
        const uint8_t x = Next();
        const uint8_t y = Next();
        Mouse(op == kMousePress  ? QEvent::MouseButtonPress
              : op == kMouseMove ? QEvent::MouseMove
                                 : QEvent::MouseButtonRelease,
              button, x, y);
        break;
      }
      case kFileMenu: {
        const uint8_t item = Next();
        return FileMenu(item, Next());
      }
      case kEditMenu: EditMenu(Next(), undoDone); break;
      case kWindowMenu:
        frame_->mnuWindow_Click();
        if (frame_->MenuItem("mnuLeft")->isEnabled()) frame_->MenuItem("mnuLeft")->trigger();
        break;
      case kClose: {
        const uint8_t which = Next();
        const QList<QMdiSubWindow*> windows = frame_->mdiArea()->subWindowList();
        if (windows.isEmpty()) break;
        if (which & 0x80) {
          if (QMdiSubWindow* active = frame_->mdiArea()->activeSubWindow()) active->close();
        } else {
          windows[which % windows.size()]->close();
        }
        break;
      }
      case kActivate: {
        const uint8_t which = Next();
        const QList<QMdiSubWindow*> windows = frame_->mdiArea()->subWindowList();
        if (!windows.isEmpty()) frame_->mdiArea()->setActiveSubWindow(windows[which % windows.size()]);
        break;
      }
      case kAnswer:
        services_.answers.push_back((Next() & 1) ? MsgBoxResult::kNo : MsgBoxResult::kYes);
        break;
      case kProbe:
        if (auto* key = frame_->findChild<QPushButton*>(QStringLiteral("Command51"))) {
          if (key->isVisible() && key->isEnabled()) key->click();
        }
        break;
      case kViewMenu:
        ((Next() & 1) ? frame_->MenuItem("mnuBarRadian") : frame_->MenuItem("mnuBarSoftKeybord"))->trigger();
        break;
    }
    return false;
  }

  void Key(uint8_t which, uint8_t modifierBits) {
    RichTextBox* box = ActiveBox();
    if (!box) return;
    struct KeyChoice {
      int key;
      char16_t text;  // 0: none
    };
    static const std::vector<KeyChoice> keys = [] {
      std::vector<KeyChoice> k;
      for (int c = 0; c < 26; ++c) k.push_back({Qt::Key_A + c, char16_t(u'a' + c)});
      for (int c = 0; c < 10; ++c) k.push_back({Qt::Key_0 + c, char16_t(u'0' + c)});
      const KeyChoice rest[] = {
          {Qt::Key_Space, u' '}, {Qt::Key_Period, u'.'}, {Qt::Key_Minus, u'-'},
          {Qt::Key_Plus, u'+'}, {Qt::Key_Semicolon, u';'}, {Qt::Key_Comma, u','},
          {Qt::Key_Equal, u'='}, {Qt::Key_Slash, u'/'}, {Qt::Key_Asterisk, u'*'},
          {Qt::Key_ParenLeft, u'('}, {Qt::Key_ParenRight, u')'}, {Qt::Key_NumberSign, u'#'},
          {Qt::Key_BracketLeft, u'['}, {Qt::Key_Colon, u':'}, {Qt::Key_Return, u'\r'},
          {Qt::Key_Enter, u'\r'}, {Qt::Key_Backspace, u'\b'}, {Qt::Key_Delete, 0x7f},
          {Qt::Key_Left, 0}, {Qt::Key_Right, 0}, {Qt::Key_Up, 0}, {Qt::Key_Down, 0},
          {Qt::Key_PageUp, 0}, {Qt::Key_PageDown, 0}, {Qt::Key_Home, 0}, {Qt::Key_End, 0},
          {Qt::Key_Tab, u'\t'}, {Qt::Key_Escape, 0x1b}, {Qt::Key_Shift, 0},
          {Qt::Key_Control, 0}, {Qt::Key_F1, 0}, {Qt::Key_Insert, 0},
          // The half-width/full-width key of a Japanese keyboard.
          {Qt::Key_Zenkaku_Hankaku, 0},
      };
      k.insert(k.end(), std::begin(rest), std::end(rest));
      // The navigation and editing keys come up more often than any one letter.
      for (int repeat = 0; repeat < 2; ++repeat) {
        for (const KeyChoice& s : rest) {
          if (s.key == Qt::Key_Return || s.key == Qt::Key_Backspace || s.key == Qt::Key_Delete ||
              (s.key >= Qt::Key_Home && s.key <= Qt::Key_PageDown))
            k.push_back(s);
        }
      }
      return k;
    }();
    const KeyChoice& choice = keys[which % keys.size()];
    Qt::KeyboardModifiers modifiers;
    if (modifierBits & 1) modifiers |= Qt::ShiftModifier;
    if (modifierBits & 2) modifiers |= Qt::ControlModifier;
    QString text;
    if (choice.text != 0) {
      char16_t c = choice.text;
      if ((modifiers & Qt::ShiftModifier) && c >= u'a' && c <= u'z') c -= 0x20;
      // Ctrl with a letter types its control character.
      if ((modifiers & Qt::ControlModifier) && ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
        c = char16_t((c & 0x1f));
      text = QString(QChar(c));
    }
    QKeyEvent press(QEvent::KeyPress, choice.key, modifiers, text, (modifierBits & 4) != 0);
    QCoreApplication::sendEvent(box, &press);
    if (RichTextBox* still = ActiveBox(); still == box) {
      QKeyEvent release(QEvent::KeyRelease, choice.key, modifiers, text);
      QCoreApplication::sendEvent(box, &release);
    }
  }

  void Char(uint8_t which) {
    RichTextBox* box = ActiveBox();
    if (!box) return;
    static const char16_t kOthers[] = {u'あ', u'ｱ', u'０', u'é', 0x3000, 0xDC81, 0xFEFF, u'漢'};
    QString text;
    int key = Qt::Key_unknown;
    if (which < 0x80) {
      text = QString(QChar(char16_t(which)));
      if (which >= 0x20 && which < 0x7f) key = QChar(char16_t(which)).toUpper().unicode();
    } else {
      text = QString(QChar(kOthers[which % std::size(kOthers)]));
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(box, &press);
  }

  void InputMethod(uint8_t kind) {
    RichTextBox* box = ActiveBox();
    if (!box) return;
    // A commit, a composition without commit, or an empty event (no change).
    QInputMethodEvent event(kind % 3 == 1 ? QStringLiteral("か") : QString(), {});
    if (kind % 3 == 0) event.setCommitString(QStringLiteral("あ"));
    QCoreApplication::sendEvent(box, &event);
  }

  void Mouse(QEvent::Type type, uint8_t buttonBits, uint8_t x, uint8_t y) {
    RichTextBox* box = ActiveBox();
    if (!box) return;
    QWidget* viewport = box->viewport();
    const QPointF at(double(x) * (viewport->width() + 20) / 256.0 - 10,
                     double(y) * (viewport->height() + 20) / 256.0 - 10);
    const Qt::MouseButton button = (buttonBits & 1) ? Qt::RightButton : Qt::LeftButton;
    Qt::MouseButtons held = heldButtons_;
    if (type == QEvent::MouseButtonPress) held |= button;
    if (type == QEvent::MouseButtonRelease) held &= ~button;
    const Qt::KeyboardModifiers modifiers =
        (buttonBits & 2) ? Qt::ShiftModifier : Qt::NoModifier;
    QMouseEvent event(type, at, viewport->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
    heldButtons_ = held;
    QCoreApplication::sendEvent(viewport, &event);
  }

  bool FileMenu(uint8_t item, uint8_t choice) {
    frame_->mnuFile_Click();
    QAction* action = nullptr;
    switch (item % kFileItemCount) {
      case kOpen:
        action = frame_->MenuItem("mnuFileOpen");
        services_.nextPath = files_.OpenChoice(choice, services_.vanishOnDialog);
        break;
      case kNew: action = frame_->MenuItem("mnuNewProgram"); break;
      case kSave: action = frame_->MenuItem("mnuOverWrite"); break;
      case kSaveAs:
        action = frame_->MenuItem("mnuNameSave");
        services_.nextPath = files_.SaveChoice(choice);
        break;
      case kPrint: action = frame_->MenuItem("mnuPrintNormal"); break;
      case kPrintTwo: action = frame_->MenuItem("mnuPrint"); break;
    }
    const bool chosen = action->isEnabled();
    if (chosen) action->trigger();
    services_.nextPath.clear();
    services_.vanishOnDialog.clear();
    return chosen && action != frame_->MenuItem("mnuPrintNormal") && action != frame_->MenuItem("mnuPrint");
  }

  void EditMenu(uint8_t item, bool undoDone) {
    frame_->mnuEdit_Click();
    QAction* const actions[] = {frame_->MenuItem("mnuUndo"), frame_->MenuItem("mnuRedo"), frame_->MenuItem("mnuCut"), frame_->MenuItem("mnuCopy"),
                                frame_->MenuItem("mnuPaste")};
    QAction* action = actions[item % kEditItemCount];
    if (!action->isEnabled()) {
      undoJustDone_ = undoDone;  // opening a menu and closing it again is no step
      return;
    }
    Form1* form = frame_->ActiveForm();
    const QString redoText = form ? form->RedoText.toString() : QString();
    const int32_t redoStartPos = form ? form->RedoStartPos : 0;
    action->trigger();
    if (action == frame_->MenuItem("mnuUndo") && form) {
      if (form->RichTextBox1->Snapshot() != form->UndoText) undoMismatch_ = true;
      undoJustDone_ = true;
      undoForm_ = form;
    }
    if (action == frame_->MenuItem("mnuRedo") && undoDone && form == undoForm_ && form) {
      if (form->RichTextBox1->Text() != redoText) redoMismatch_ = true;
      if (form->RichTextBox1->SelStart() != redoStartPos) redoMismatch_ = true;
    }
  }

  // What must hold after every event.
  std::string Check(bool afterFileCommand) {
    if (IsDrawingLocked()) return "drawing left locked";
    if (undoMismatch_) return "undo did not restore the undo snapshot";
    if (redoMismatch_) return "redo after undo did not give back the after-text and its caret";
    // Between events no file command runs: the controls are on and every menu
    // item stands as its menu would offer it.
    (void)afterFileCommand;
    if (!ControlsOutOfStep(*frame_).isEmpty()) return "a control or menu item not as its menu offers it";
    const QList<QMdiSubWindow*> windows = frame_->mdiArea()->subWindowList();
    if (frame_->FormNumber != windows.size())
      return "FormNumber differs from the number of open editor windows";
    if (frame_->Forms().size() != windows.size())
      return "the frame's window list differs from the open editor windows";
    if (frame_->CancelReReMove != 0 || frame_->RightMoveFlag != 0)
      return "an arrangement flag left set";
    for (QMdiSubWindow* window : windows) {
      auto* form = qobject_cast<Form1*>(window);
      if (!form) return "a child window that is no editor window";
      if (form->EditFlag == 1 && form->EditDoneFlag == 1)
        return "EditFlag and EditDoneFlag both 1";
      const QString& text = form->RichTextBox1->Text();
      const int32_t length = int32_t(text.size());
      if (form->RichTextBox1->GetLineFromChar(length) != int32_t(text.count(u'\n')))
        return "GetLineFromChar(length) differs from the number of line feeds";
      const int32_t start = form->RichTextBox1->SelStart();
      if (start < 0 || start + form->RichTextBox1->SelLength() > length)
        return "selection outside the text";
      // A line edit stays on its line: red text only there, and only while
      // it is open; no selection meanwhile.
      const int32_t caretLine = form->RichTextBox1->GetLineFromChar(start);
      for (const ColorSpan& span : form->RichTextBox1->model().colorSpans(0, length)) {
        if (span.color != TextColors::kEditedLine) continue;
        if (form->EditFlag != 1) return "red text outside a line edit";
        if (form->RichTextBox1->GetLineFromChar(span.start) != caretLine ||
            form->RichTextBox1->GetLineFromChar(span.end - 1) != caretLine)
          return "red text off the caret's line during a line edit";
      }
      if (form->EditFlag == 1 && form->RichTextBox1->SelLength() != 0)
        return "a selection during a line edit";
    }
    return std::string();
  }

  SessionFiles& files_;
  SessionServices& services_;
  MDIForm1* frame_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t at_ = 0;
  Qt::MouseButtons heldButtons_;
  bool undoJustDone_ = false;
  Form1* undoForm_ = nullptr;
  bool undoMismatch_ = false;
  bool redoMismatch_ = false;
};

}  // namespace editor_fuzz
