#include "platform/Application.h"

#include <QAccessible>
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "control/ProgramFont.h"
#include "control/RichTextBoxAccessible.h"

QIcon ProgramIcon() {
  // One icon for the whole session. Qt keeps the scaled images of an icon in
  // its global pixmap cache under the icon's own keys: an icon decoded afresh
  // for every editor window would leave a new set of entries behind each
  // time a window opens, and the cache would fill to its limit over a long
  // session. The images live in the platform library, which is static: register
  // them before the first use. The icon is never destroyed: as a static
  // object it would release its images after the application object is gone.
  static const QIcon* const icon = [] {
    Q_INIT_RESOURCE(kesto);
    auto* images = new QIcon;
    for (const int size : {16, 32, 48}) {
      images->addFile(QStringLiteral(":/kesto/kesto-%1.png").arg(size), QSize(size, size));
    }
    return images;
  }();
  return *icon;
}

void InitApplication(QApplication& app) {
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
