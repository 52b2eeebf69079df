// The production message boxes and file dialogs, and the filter notation.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QPushButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "platform/LocalPath.h"
#include "platform/QtServices.h"

namespace {

TEST(QtServicesTest, FilterNotationBecomesNameFilters) {
  EXPECT_EQ(QtNameFilters(QStringLiteral("ﾒｲﾝ(*.m),ﾊﾞｯｸ(*.s)|*.m;*.s")),
            QStringLiteral("ﾒｲﾝ(*.m),ﾊﾞｯｸ(*.s) (*.m *.s)"));
  EXPECT_EQ(QtNameFilters(QStringLiteral("ﾒｲﾝ|*.m|ﾊﾞｯｸ|*.s")),
            QStringLiteral("ﾒｲﾝ (*.m);;ﾊﾞｯｸ (*.s)"));
  EXPECT_EQ(QtNameFilters(QString()), QString());
}

// Shows a message box and lets `answer` inspect and close it.
int Ask(int style, const std::function<void(QMessageBox&)>& answer) {
  QTimer::singleShot(0, [answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    answer(*box);
  });
  QtServices services;
  return services.MsgBox(QStringLiteral("C:/a.m\r\n\r\n文"), style, QStringLiteral("報告"));
}

TEST(QtServicesTest, MessageBoxStylesButtonsAndAnswers) {
  // Question: Yes and No, Yes the default.
  EXPECT_EQ(Ask(36,
                [](QMessageBox& box) {
                  EXPECT_EQ(box.icon(), QMessageBox::Question);
                  EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
                  EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(QMessageBox::Yes));
                  EXPECT_EQ(box.windowTitle(), QStringLiteral("報告"));
                  EXPECT_EQ(box.text(), QStringLiteral("C:/a.m\n\n文"));
                  box.defaultButton()->click();
                }),
            6);
  EXPECT_EQ(Ask(36, [](QMessageBox& box) { box.button(QMessageBox::No)->click(); }), 7);
  EXPECT_EQ(Ask(48,
                [](QMessageBox& box) {
                  EXPECT_EQ(box.icon(), QMessageBox::Warning);
                  EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
                  box.button(QMessageBox::Ok)->click();
                }),
            1);
  EXPECT_EQ(Ask(64,
                [](QMessageBox& box) {
                  EXPECT_EQ(box.icon(), QMessageBox::Information);
                  box.reject();  // closed by the window's close button
                }),
            1);
}

TEST(QtServicesTest, LongPathsWrapAnywhereSentencesStayAsTheyAre) {
  const QFontMetrics metrics(QApplication::font());
  const QString zwsp(QChar(0x200B));
  const QString longPath = QStringLiteral("/home/operator/") + QString(120, u'x') +
                           QStringLiteral("/加工/PART𠀋.m");
  const QString sentence = QStringLiteral("上記のファイルを開けませんでした。");
  const QString text = longPath + QStringLiteral("\n\n") + sentence;
  const QString wrapped = WrapLongRuns(text, metrics, 240);

  // Only break opportunities are added, and none splits a character.
  EXPECT_EQ(QString(wrapped).remove(zwsp), text);
  EXPECT_FALSE(wrapped.contains(QChar(0xD840) + zwsp));
  // The long path can break after every character; the sentence is untouched.
  EXPECT_TRUE(wrapped.contains(QStringLiteral("x") + zwsp + QStringLiteral("x")));
  EXPECT_TRUE(wrapped.endsWith(QStringLiteral("\n\n") + sentence));
  // Text that fits is left alone.
  EXPECT_EQ(WrapLongRuns(QStringLiteral("/tmp/a.m\n\n") + sentence, metrics, 240),
            QStringLiteral("/tmp/a.m\n\n") + sentence);
}

// A report names a path of any length, with any bytes and line breaks in it,
// in a box that fits the screen with its button on it.
TEST(QtServicesTest, ReportsOfAnyPathStayWithinBounds) {
  const QString sentence = QStringLiteral("上記のファイルを開けませんでした。");
  const QString huge = QStringLiteral("/mnt/") + QString(10 << 20, u'x') + QStringLiteral("/end.m");
  const struct {
    const char* name;
    QString path;
  } paths[] = {
      {"ten megabytes", huge},
      {"a line break in every other character", QStringLiteral("/a\n").repeated(100000)},
      {"a pair at the cut", QStringLiteral("/") + QString(59, u'y') +
                                QStringLiteral("𠀋").repeated(40) + QStringLiteral(".m")},
      {"kept bytes of a name not UTF-8", QStringLiteral("/m/") + QChar(0xDC89) + QChar(0xDCC1) +
                                             QStringLiteral(".m")},
  };
  for (const auto& p : paths) {
    SCOPED_TRACE(p.name);
    const QString shown = BoundReportText(p.path + QStringLiteral("\n\n") + sentence);
    const QStringList lines = shown.split(u'\n');
    EXPECT_LE(lines.size(), 8);
    for (const QString& line : lines) {
      EXPECT_LE(line.size(), 120);
      for (qsizetype i = 0; i < line.size(); ++i) {
        EXPECT_FALSE(line[i].isSurrogate() && !(line[i].isHighSurrogate() && i + 1 < line.size() &&
                                                line[i + 1].isLowSurrogate()) &&
                     !(line[i].isLowSurrogate() && i > 0 && line[i - 1].isHighSurrogate()))
            << "a lone surrogate at " << i;
      }
    }
    EXPECT_TRUE(shown.endsWith(QStringLiteral("\n\n") + sentence));
    // The path's own first line begins the box, kept bytes shown as U+FFFD.
    QString head = p.path.left(p.path.indexOf(u'\n')).left(20);
    EXPECT_TRUE(lines[0].startsWith(head.replace(QChar(0xDC89), QChar(0xFFFD)).replace(QChar(0xDCC1), QChar(0xFFFD))));
  }
  EXPECT_EQ(BoundReportText(QStringLiteral("/tmp/a.m\n\n") + sentence),
            QStringLiteral("/tmp/a.m\n\n") + sentence);

  // The box itself, over the ten megabytes.
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    const QRect screen = box->screen()->availableGeometry();
    EXPECT_LE(box->width(), screen.width());
    EXPECT_LE(box->height(), screen.height());
    box->button(QMessageBox::Ok)->click();
  });
  QtServices services;
  EXPECT_EQ(services.MsgBox(huge + QStringLiteral("\r\n\r\n") + sentence, 64,
                            QStringLiteral("報告")),
            1);
}

// Qt's own dialog lists no name that is not UTF-8 and refuses one typed in
// the lossy form it shows such names in (U+FFFD for each byte). Typed so, a
// name that stands for one file on disk is taken with its bytes; a save over
// it asks first, and a declined question leaves the dialog open.
TEST(QtServicesTest, FileDialogsTakeNamesThatAreNotUtf8) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QByteArray root = QFile::encodeName(temp.path()) + '/';
  const QByteArray folder = root + "\x83\x76", file = root + "\x83\x76\x83\x8D.m";
  // Qt lists no name that is not UTF-8, so QTemporaryDir cannot remove them.
  const auto remove = qScopeGuard([&] {
    ::unlink(file);
    ::unlink(folder + "/new.m");
    ::rmdir(folder);
  });
  ASSERT_EQ(::mkdir(folder, 0700), 0);
  const int fd = ::open(file, O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ::close(fd);

  const struct {
    bool save;
    const char16_t* typed;
    QMessageBox::StandardButton replace;  // the answer to the question, if one comes
    QByteArray chosen;                    // "" when the dialog was cancelled
  } cases[] = {
      {false, u"\uFFFDv\uFFFD\uFFFD.m", QMessageBox::NoButton, file},
      {true, u"\uFFFDv\uFFFD\uFFFD.m", QMessageBox::Yes, file},
      {true, u"\uFFFDv\uFFFD\uFFFD.m", QMessageBox::No, ""},
      {true, u"\uFFFDv/new.m", QMessageBox::NoButton, folder + "/new.m"},
  };
  for (const auto& c : cases) {
    const QString typed = QString::fromUtf16(c.typed);
    const QMessageBox::StandardButton replace = c.replace;
    QTimer::singleShot(0, [&temp, typed, replace] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->setDirectory(temp.path());
      dialog->selectFile(typed);
      if (replace != QMessageBox::NoButton) {
        QTimer::singleShot(0, [dialog, replace] {
          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
          ASSERT_NE(box, nullptr);
          EXPECT_TRUE(box->text().contains(QStringLiteral("\uFFFDv\uFFFD\uFFFD.m")));
          box->button(replace)->click();
          QTimer::singleShot(0, dialog, &QDialog::reject);  // still open only if declined
        });
      }
      static_cast<QDialog*>(dialog)->accept();  // as Enter in the name field does
    });
    QtServices services;
    const QString chosen = c.save ? services.ShowSaveDialog(QStringLiteral("|*.m"), OFN_OVERWRITEPROMPT)
                                  : services.ShowOpenDialog(QStringLiteral("|*.m"), OFN_FILEMUSTEXIST);
    EXPECT_EQ(EncodeLocalPath(chosen), c.chosen) << typed.toStdString();
  }
}

}  // namespace
