// The editor fuzz target's corpus replayed through the same decoder: the seed
// inputs, and every input the fuzzer once broke a check or crashed with (kept
// in the corpus under the name crash-*), must pass every check.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "control/RichTextBox.h"
#include "testkit/session/EditorSession.h"
#include "testkit/session/KeyboardKeys.h"

namespace {

using namespace editor_session;

void ReplayFolder(const QString& folder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  SessionFiles files(dir.path());
  EditorStage stage;
  QDirIterator inputs(folder, QDir::Files);
  int count = 0;
  while (inputs.hasNext()) {
    const QString path = inputs.next();
    SCOPED_TRACE(path.toStdString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EditorSession session(stage, files);
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
  SessionFiles files(dir.path());
  const uint8_t stream[] = {
      kFileMenu, kOpen, 0,  // program.m
      kKey, 'X', 0,         // keys by their virtual-key code
      kKey, '1', 0,
      kKey, 13, 0,          // Enter: the line is committed
      kKey, 16, 0,          // Shift: confirmation ends
      kFileMenu, kSave, 0,  // Save, question answered Yes
  };
  EditorStage stage;
  EditorSession session(stage, files);
  ASSERT_EQ(session.Play(stream, sizeof stream), std::string());
  QFile file(dir.filePath(QStringLiteral("program.m")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("X1G90G54\r\nG01X10.Y-20.5F100\r\n\r\nM30\r\n"));
}

// A key in a stream is named by the code the control reports for it, with
// and without Shift; only the half-width/full-width key has no code there.
TEST(EditorSessionReplay, KeyCodesAreTheControlsCodes) {
  int keys = 0;
  for (int code = 0; code < 256; ++code) {
    for (const uint8_t shift : {0, int(kShiftBit)}) {
      const auto stroke = KeyStrokeFor(uint8_t(code), shift);
      if (!stroke) continue;
      ++keys;
      const int expected = stroke->key == Qt::Key_Zenkaku_Hankaku ? 0 : code;
      EXPECT_EQ(RichTextBox::VirtualKeyCode(stroke->key, stroke->modifiers), expected)
          << "code " << code << (shift ? " with Shift" : "");
    }
  }
  EXPECT_GT(keys, 2 * 90);
}

}  // namespace
