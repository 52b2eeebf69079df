#include "testkit/session/ControlInput.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <iterator>

#include "control/RichTextBox.h"
#include "editor/Form1.h"
#include "frame/MDIForm1.h"
#include "testkit/session/KeyboardKeys.h"

namespace editor_session {

namespace {

RichTextBox* ActiveBox(MDIForm1& frame) {
  Form1* form = frame.ActiveForm();
  return form ? form->RichTextBox1 : nullptr;
}

}  // namespace

void ControlInput::Key(const KeyStroke& stroke, bool autoRepeat) {
  RichTextBox* box = ActiveBox(frame_);
  if (!box) return;
  QKeyEvent press(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text, autoRepeat);
  QCoreApplication::sendEvent(box, &press);
  if (ActiveBox(frame_) == box) {
    QKeyEvent release(QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text);
    QCoreApplication::sendEvent(box, &release);
  }
}

void ControlInput::Char(uint8_t which) {
  RichTextBox* box = ActiveBox(frame_);
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

void ControlInput::InputMethod(uint8_t kind) {
  RichTextBox* box = ActiveBox(frame_);
  if (!box) return;
  QInputMethodEvent event(kind % 3 == 1 ? QStringLiteral("か") : QString(), {});
  if (kind % 3 == 0) event.setCommitString(QStringLiteral("あ"));
  QCoreApplication::sendEvent(box, &event);
}

void ControlInput::Mouse(QEvent::Type type, uint8_t buttonBits, uint8_t x, uint8_t y) {
  RichTextBox* box = ActiveBox(frame_);
  if (!box) return;
  QWidget* viewport = box->viewport();
  const QPointF at(double(x) * (viewport->width() + 20) / 256.0 - 10,
                   double(y) * (viewport->height() + 20) / 256.0 - 10);
  const Qt::MouseButton button = (buttonBits & 1) ? Qt::RightButton : Qt::LeftButton;
  Qt::MouseButtons held = heldButtons_;
  if (type == QEvent::MouseButtonPress) held |= button;
  if (type == QEvent::MouseButtonRelease) held &= ~button;
  const Qt::KeyboardModifiers modifiers = (buttonBits & 2) ? Qt::ShiftModifier : Qt::NoModifier;
  QMouseEvent event(type, at, viewport->mapToGlobal(at),
                    type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
  heldButtons_ = held;
  QCoreApplication::sendEvent(viewport, &event);
}

}  // namespace editor_session
