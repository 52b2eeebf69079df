// The editor fuzz target's corpus replayed through the same decoder: the seed
// inputs, and every input the fuzzer once broke a check or crashed with (kept
// in the corpus under the name crash-*), must pass every check.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "fuzz/EditorSession.h"

namespace {

void ReplayFolder(const QString& folder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  editor_fuzz::SessionFiles files(dir.path());
  editor_fuzz::EditorStage stage;
  QDirIterator inputs(folder, QDir::Files);
  int count = 0;
  while (inputs.hasNext()) {
    const QString path = inputs.next();
    SCOPED_TRACE(path.toStdString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    editor_fuzz::EditorSession session(stage, files);
    EXPECT_EQ(session.Play(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
              std::string());
    ++count;
  }
  EXPECT_GT(count, 0) << "no inputs in " << folder.toStdString();
}

TEST(EditorSessionReplay, CorpusInputs) {
  ReplayFolder(QStringLiteral(KESTO_SOURCE_DIR "/fuzz/corpus/fuzz_editor"));
}

// The decoder itself: a stream that opens a program, types a line and saves
// reaches the file, so the seeds exercise what they claim to.
TEST(EditorSessionReplay, StreamReachesTheFile) {
  QTemporaryDir dir;
  editor_fuzz::SessionFiles files(dir.path());
  using namespace editor_fuzz;
  const uint8_t stream[] = {
      kFileMenu, kOpen, 0,       // program.m
      kKey, 23, 0,               // X (letter keys come first, A = 0)
      kKey, 27, 0,               // 1
      kKey, 50, 0,               // Enter: the line is committed
      kKey, 64, 0,               // Shift: confirmation ends
      kFileMenu, kSave, 0,       // Save, question answered Yes
  };
  EditorStage stage;
  EditorSession session(stage, files);
  ASSERT_EQ(session.Play(stream, sizeof stream), std::string());
  QFile file(dir.filePath(QStringLiteral("program.m")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("X1G90G54\r\nG01X10.Y-20.5F100\r\n\r\nM30\r\n"));
}

}  // namespace
