// The whole editor under a byte stream of user events: keys, typed and
// input-method text, the mouse, the menus, windows opened, closed and moved,
// questions answered and dialogs cancelled, on one frame brought back to its
// first state before every input. A broken property stops the run so that
// libFuzzer keeps the input.

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "platform/Application.h"
#include "testkit/OffscreenPlatform.h"
#include "testkit/session/EditorSession.h"

namespace {

QApplication* g_app = nullptr;
QTemporaryDir* g_dir = nullptr;
editor_session::SessionFiles* g_files = nullptr;
editor_session::EditorStage* g_stage = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  UseOffscreenPlatform();
  g_app = new QApplication(*argc, *argv);
  InitApplication(*g_app);
  g_dir = new QTemporaryDir;
  g_files = new editor_session::SessionFiles(g_dir->path());
  g_stage = new editor_session::EditorStage;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  editor_session::EditorSession session(*g_stage, *g_files);
  const std::string broken = session.Play(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "property broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
