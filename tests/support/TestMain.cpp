// Test entry point: every test runs with a QApplication on Qt's offscreen
// platform, with the program's fonts and translations installed.

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/Application.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (!getenv("XDG_RUNTIME_DIR")) {
    const QByteArray dir = QDir::tempPath().toUtf8() + "/kesto-test-runtime";
    QDir().mkpath(QString::fromUtf8(dir));
    QFile::setPermissions(QString::fromUtf8(dir),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", dir.constData(), 0);
  }
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  InitApplication(app);
  return RUN_ALL_TESTS();
}
