// The whole editor under a byte stream of user events: keys, typed and
// input-method text, the mouse, the menus, windows opened, closed and moved,
// questions answered and dialogs cancelled, on one frame brought back to its
// first state before every input. A broken property stops the run so that libFuzzer keeps the input.

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "fuzz/EditorSession.h"
#include "platform/Application.h"

namespace {

QApplication* g_app = nullptr;
QTemporaryDir* g_dir = nullptr;
editor_fuzz::SessionFiles* g_files = nullptr;
editor_fuzz::EditorStage* g_stage = nullptr;

}  // namespace

// Fontconfig keeps the patterns of its caches to the end of the process
// without frame pointers that would name Qt as the owner.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!getenv("XDG_RUNTIME_DIR")) {
    const QByteArray runtime = QDir::tempPath().toUtf8() + "/kesto-fuzz-runtime";
    QDir().mkpath(QString::fromUtf8(runtime));
    QFile::setPermissions(QString::fromUtf8(runtime),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
  }
  g_app = new QApplication(*argc, *argv);
  InitApplication(*g_app);
  g_dir = new QTemporaryDir;
  g_files = new editor_fuzz::SessionFiles(g_dir->path());
  g_stage = new editor_fuzz::EditorStage;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  editor_fuzz::EditorSession session(*g_stage, *g_files);
  const std::string broken = session.Play(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "property broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
