#pragma once
// Tests, fuzz targets and benchmarks run the editor without a screen: on Qt's
// offscreen platform unless the environment names another one, and with a
// runtime folder of their own when the environment has none (Qt wants one,
// closed to other users).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <unistd.h>

inline void UseOffscreenPlatform() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (!getenv("XDG_RUNTIME_DIR")) {
    const QString runtime = QDir::tempPath() + QStringLiteral("/kesto-runtime-%1").arg(getuid());
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit().constData(), 0);
  }
}
