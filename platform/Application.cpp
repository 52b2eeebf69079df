#include "platform/Application.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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
}
