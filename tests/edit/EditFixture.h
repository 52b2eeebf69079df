#pragma once
// A frame with programs opened through File ▸ Open, driven as a user drives
// it: keys sent to the text control, mouse drags on its viewport, menu
// commands through their handlers.

#include <QMouseEvent>

#include "frame/FrameFixture.h"

class EditFixture : public FrameFixture {
 protected:
  // Opens a program file holding `fileText` (statements without ";", CR LF).
  Form1* Open(const QByteArray& fileText) {
    return OpenProgram(QStringLiteral("p%1.m").arg(++files_), fileText);
  }
  // "N1\r\nN2\r\n…" opened: canonical lines "N1 ;\r\n" … "Nn ;\r\n".
  Form1* OpenNumbered(int lines) {
    QByteArray text;
    for (int n = 1; n <= lines; ++n) text += "N" + QByteArray::number(n) + "\r\n";
    return Open(text);
  }

  static void Key(Form1* form, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(form->RichTextBox1, key, modifiers);
  }
  // The caret to `column` of line `line` (from 1) with the navigation keys.
  static void CaretTo(Form1* form, int line, int column = 0) {
    Key(form, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 1; i < line; ++i) Key(form, Qt::Key_Down);
    for (int i = 0; i < column; ++i) Key(form, Qt::Key_Right);
  }
  // A completed line edit: type `letter` at the start of `line`, commit with
  // Down, confirm with Shift.
  static void EditLine(Form1* form, int line, Qt::Key letter) {
    CaretTo(form, line);
    Key(form, letter);
    Key(form, Qt::Key_Down);
    Key(form, Qt::Key_Shift);
  }

  // A point in the viewport on line `line` (from 1), found by clicking down
  // the viewport until the caret lands on that line.
  static QPoint PointOnLine(Form1* form, int line) {
    QWidget* view = form->RichTextBox1->viewport();
    for (int y = 1; y < view->height(); ++y) {
      const QPoint at(4, y);
      QTest::mouseClick(view, Qt::LeftButton, {}, at);
      const RichTextBox& box = *form->RichTextBox1;
      if (box.GetLineFromChar(box.SelStart()) + 1 == line) return at + QPoint(0, 3);
    }
    ADD_FAILURE() << "line " << line << " is not on screen";
    return {};
  }
  // Drags the mouse from line `from` to line `to` (from 1): a range selection.
  static void DragLines(Form1* form, int from, int to) {
    const QPoint start = PointOnLine(form, from);
    const QPoint end = PointOnLine(form, to) + QPoint(20, 0);
    QWidget* view = form->RichTextBox1->viewport();
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, end, view->mapToGlobal(end), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, end);
  }

 private:
  int files_ = 0;
};

// "N<from> ;\r\n" … "N<to> ;\r\n", as the editor shows opened numbered lines.
inline QString NumberedLines(int from, int to) {
  QString text;
  for (int n = from; n <= to; ++n) text += QStringLiteral("N%1 ;\r\n").arg(n);
  return text;
}
