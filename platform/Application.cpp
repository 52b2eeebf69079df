#include "platform/Application.h"

#include <QAccessible>
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <malloc.h>

#include "platform/RichTextBoxAccessible.h"

QIcon ProgramIcon() {
  // The images live in the platform library, which is static: register them
  // before the first use.
  static const int registered = [] {
    Q_INIT_RESOURCE(kesto);
    return 0;
  }();
  Q_UNUSED(registered);
  QIcon icon;
  for (const int size : {16, 32, 48}) {
    icon.addFile(QStringLiteral(":/kesto/kesto-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

void InitApplication(QApplication& app) {
  // Every line edit copies the whole program for undo, and programs run to
  // hundreds of MB. Serve such blocks from the heap and keep freed ones there,
  // so that the next copy reuses memory that is already mapped instead of
  // faulting in fresh pages each time.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);

  // The program names "ＭＳ ゴシック" everywhere; on this desktop IPAGothic
  // takes its place (half-width 1 : full-width 2 cells, like the original).
  QFont::insertSubstitution(QString::fromUtf16(kProgramFontFamily), QStringLiteral("IPAGothic"));

  // Qt's own dialogs and message-box buttons speak Japanese like the rest.
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(translator);
  }

  app.setWindowIcon(ProgramIcon());

  // Screen readers see the program text through the control's own
  // accessible interface.
  QAccessible::installFactory(&RichTextBoxAccessible::Create);
}
