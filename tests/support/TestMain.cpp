// Test entry point: every test runs with a QApplication on Qt's offscreen
// platform, with the program's fonts and translations installed.

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "testkit/OffscreenPlatform.h"

int main(int argc, char** argv) {
  UseOffscreenPlatform();
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  InitApplication(app);
  return RUN_ALL_TESTS();
}
