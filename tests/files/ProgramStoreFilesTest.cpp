// Reading a program file into a document store block by block, and writing
// one out chunk by chunk, against the flat reader and writer.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "document/TextStore.h"
#include "files/Cp932.h"
#include "files/ProgramFile.h"
#include "files/ProgramFileBlocks.h"
#include "files/ProgramWriter.h"
#include "testkit/FlatCp932.h"
#include "testkit/FlatProgramFile.h"
#include "testkit/FlatProgramWriter.h"

namespace {

// Bytes of program files, good and bad: statements, CR LF and bare CR and LF,
// kana and kanji, lead bytes before CR, LF or ";", invalid and duplicate
// pairs, bytes that are never CP932.
QByteArray RandomFileBytes(std::mt19937& rng, int maxPieces) {
  static const QByteArray kPieces[] = {
      "G01X10", "y-20.5", "N123", ";", " ", "\r\n", "\r\n", "\r", "\n", "a1b2,c",
      "\x88\x9F", "(\x8D\x48\x8B\xEF)", "\xB6\xC5", "\x81", "\x81\r", "\x81\r\n", "\x81\n",
      "\x81;", "\x81\x7F", "\xED\x40", "\x87\x90", "\x80", "\xA0", "\xFD\xFE\xFF", "\xE0",
      QByteArray("\0", 1), "\t"};
  std::uniform_int_distribution<int> count(0, maxPieces);
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  QByteArray bytes;
  for (int n = count(rng); n > 0; --n) bytes += kPieces[pick(rng)];
  return bytes;
}

QString WriteFile(const QTemporaryDir& dir, const QByteArray& bytes) {
  const QString path = dir.filePath(QStringLiteral("p.m"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
  return path;
}

TEST(ProgramStoreReader, BlocksCutAfterCrLfGiveTheFlatReadersText) {
  QTemporaryDir dir;
  std::mt19937 rng(1515);
  for (int round = 0; round < 400; ++round) {
    const QByteArray bytes = RandomFileBytes(rng, round % 20 == 0 ? 2000 : 60);
    SCOPED_TRACE(bytes.toPercentEncoding().toStdString());
    const QString flat = ProgramTextFromFile(DecodeCp932(bytes));

    // Every block on its own, cut after every CR LF pair.
    ProgramBlockReader reader;
    TextStore::Builder builder;
    qsizetype start = 0;
    for (qsizetype i = 1; i <= bytes.size(); ++i) {
      if (i == bytes.size() || (i >= 2 && bytes[i - 1] == '\n' && bytes[i - 2] == '\r')) {
        reader.append(bytes.constData() + start, i - start, builder);
        start = i;
      }
    }
    const TextStore blocks = builder.finish();
    ASSERT_EQ(blocks.toString(), flat);
    ASSERT_TRUE(blocks.isWellFormed());

    // One block in pieces, each cut at the last end allowed before a random point.
    reader.start(builder);
    qsizetype at = 0;
    for (int cuts = 0; cuts < 12 && at < bytes.size(); ++cuts) {
      const qsizetype point = std::uniform_int_distribution<qsizetype>(at + 1, bytes.size())(rng);
      const qsizetype end = PieceEnd(bytes.constData() + at, point - at);
      reader.feed(bytes.constData() + at, end);
      at += end;
    }
    reader.feed(bytes.constData() + at, bytes.size() - at);
    reader.finish();
    ASSERT_EQ(builder.finish().toString(), flat);

    // The whole road from the file, with blocks of a few bytes on the
    // worker threads; stretches longer than a few blocks without a CR LF
    // pair are read on in order.
    const QString path = WriteFile(dir, bytes);
    for (qsizetype blockBytes : {qsizetype(3), qsizetype(64)}) {
      TextStore read;
      ASSERT_TRUE(ReadProgramFileInBlocks(path, read, blockBytes, TextStore::kMaxSize));
      ASSERT_EQ(read.toString(), flat) << blockBytes;
    }
  }
}

TEST(ProgramStoreReader, RefusesTooLongTextsAndUnreadableFilesLeavingTheTextAlone) {
  QTemporaryDir dir;
  const TextStore before(u"before"_qs);
  // With CR LF pairs (read block by block) and with bare LFs (read in order).
  for (const char* line : {"G01X1\r\n", "G01X1\n"}) {
    const QString path = WriteFile(dir, QByteArray(line).repeated(500));
    const int64_t length = ProgramTextFromFile(DecodeCp932(QByteArray(line).repeated(500))).size();
    for (qsizetype blockBytes : {qsizetype(16), qsizetype(1) << 20}) {
      TextStore text = before;
      EXPECT_TRUE(ReadProgramFileInBlocks(path, text, blockBytes, length));
      EXPECT_EQ(text.size(), length);
      text = before;
      EXPECT_FALSE(ReadProgramFileInBlocks(path, text, blockBytes, length - 1));
      EXPECT_EQ(text, before);
    }
  }
  TextStore text = before;
  EXPECT_FALSE(ReadProgramFile(dir.path(), text));
  EXPECT_FALSE(ReadProgramFile(dir.filePath(QStringLiteral("missing.m")), text));
  EXPECT_EQ(text, before);
  EXPECT_TRUE(ReadProgramFile(WriteFile(dir, QByteArray()), text));
  EXPECT_TRUE(text.isEmpty());
}

// A program with a Japanese comment after every 20th line keeps its program
// lines at one byte per character: the comments do not widen the chunks
// around them.
TEST(ProgramStoreReader, CommentsDoNotWidenTheProgramAroundThem) {
  QTemporaryDir dir;
  QByteArray bytes;
  for (int line = 0; line < 100'000; ++line) {
    bytes += "N" + QByteArray::number(line) + "G01X-12.5Y3F1200\r\n";
    if (line % 20 == 0) bytes += "(\x8D\x72\x89\xC1\x8D\x48 T01)\r\n";
  }
  TextStore text;
  ASSERT_TRUE(ReadProgramFile(WriteFile(dir, bytes), text));
  EXPECT_EQ(text.toString(), ProgramTextFromFile(DecodeCp932(bytes)));
  EXPECT_LT(text.stats().bytes, int64_t(text.size()) * 14 / 10);
}

// The threads of this process: the reader's workers have ended when it returns.
int ThreadCount() {
  return int(
      QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Whether the process is back to at most `count` threads. A joined thread
// can still be listed for a moment while the kernel finishes its exit, so the
// count is given a few seconds to settle; a thread left running never leaves,
// and leaks add up over the stops.
bool ThreadsBackTo(int count) {
  QDeadlineTimer deadline(5000);
  while (ThreadCount() > count && !deadline.hasExpired()) QThread::msleep(1);
  return ThreadCount() <= count;
}

// The progress callback hears every block, in order and up to the file's
// size; stopped after any of them, the read fails at once with the text
// untouched and no worker thread left, on the block road (CR LF pairs), on
// the road read in order (bare LFs), and on both (a long line amid pairs).
TEST(ProgramStoreReader, StoppingAfterAnyBlockLeavesTheTextAndNoThread) {
  QTemporaryDir dir;
  const TextStore before(u"before"_qs);
  const QByteArray files[] = {QByteArray("G01X1.5Y2\r\n").repeated(200),
                              QByteArray("G01X1.5Y2\n").repeated(200),
                              QByteArray("A1\r\n").repeated(100) + QByteArray(900, '7') +
                                  QByteArray("\r\nB2\r\n").repeated(100)};
  for (const QByteArray& bytes : files) {
    const QString path = WriteFile(dir, bytes);
    TextStore whole;
    ASSERT_TRUE(ReadProgramFile(path, whole));
    for (qsizetype blockBytes :
         {qsizetype(7), qsizetype(64), qsizetype(1000), qsizetype(1) << 20}) {
      SCOPED_TRACE(testing::Message() << bytes.left(12).toStdString() << " blocks " << blockBytes);
      std::vector<int64_t> seen;
      TextStore text;
      ASSERT_TRUE(ReadProgramFileInBlocks(path, text, blockBytes, TextStore::kMaxSize,
                                          [&](int64_t done, int64_t total) {
                                            EXPECT_EQ(total, bytes.size());
                                            seen.push_back(done);
                                            return true;
                                          }));
      EXPECT_EQ(text, whole);
      ASSERT_FALSE(seen.empty());
      EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
      EXPECT_EQ(seen.back(), bytes.size());
      EXPECT_EQ(int64_t(seen.size()), (bytes.size() + blockBytes - 1) / blockBytes);

      const int threads = ThreadCount();
      for (size_t stopAt = 1; stopAt <= seen.size(); ++stopAt) {
        size_t calls = 0;
        text = before;
        ASSERT_FALSE(ReadProgramFileInBlocks(path, text, blockBytes, TextStore::kMaxSize,
                                             [&](int64_t, int64_t) { return ++calls < stopAt; }))
            << stopAt;
        ASSERT_EQ(calls, stopAt) << "read on after the stop";
        ASSERT_EQ(text, before) << stopAt;
        ASSERT_TRUE(ThreadsBackTo(threads)) << stopAt;
      }
    }
  }
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Editor texts: canonical and not, kept file bytes, kana and kanji, Latin-1
// symbols CP932 has, characters whose upper case is ASCII, and now and then
// one that CP932 cannot write.
QString RandomEditorText(std::mt19937& rng, int maxPieces) {
  static const QString kPieces[] = {u"G01 X10 ;\r\n"_qs,
                                    u"g01 x1"_qs,
                                    u" ;"_qs,
                                    u"\r\n"_qs,
                                    u"\n"_qs,
                                    u"\r"_qs,
                                    u"(\u5DE5\u5177)"_qs,
                                    u"\uFF76\uFF80"_qs,
                                    u"\u00A7\u00B1\u00D7"_qs,
                                    u"\u0131\u017F"_qs,
                                    QString(QChar(0xDC81)),
                                    QString(QChar(0xDCFF)),
                                    u"x;y"_qs,
                                    QString(200, u'a'),
                                    QString(100, QChar(0x4E9C))};
  static const QString kUnwritable[] = {u"\u00E9"_qs, u"\U0001F600"_qs, QString(QChar(0xD800)),
                                        u"\U00010428"_qs, QString(QChar(0xDC7F))};
  std::uniform_int_distribution<int> count(0, maxPieces);
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  QString text;
  for (int n = count(rng); n > 0; --n) text += kPieces[pick(rng)];
  if (rng() % 3 == 0) {
    const qsizetype at = std::uniform_int_distribution<qsizetype>(0, text.size())(rng);
    text.insert(at, kUnwritable[rng() % std::size(kUnwritable)]);
  }
  return text;
}

TEST(ProgramStoreWriter, WritesWhatTheFlatWriterWritesOrNothing) {
  QTemporaryDir dir;
  const QString flatPath = dir.filePath(QStringLiteral("flat.m"));
  const QString storePath = dir.filePath(QStringLiteral("store.m"));
  std::mt19937 rng(2552);
  for (int round = 0; round < 120; ++round) {
    QString text = RandomEditorText(rng, round % 40 == 0 ? 20000 : 40);
    if (round == 1) text = QString(4095, QChar(0x5DE5)) + u"\U00010428"_qs;  // a pair across chunks
    if (round == 2) {
      // Past the writer's block of bytes, with characters across its end.
      for (int k = 0; k < 120'000; ++k) text += u"G01 X10 ;\r\n(\u5DE5)"_qs;
    }
    SCOPED_TRACE(testing::Message() << "round " << round);
    ASSERT_TRUE(WriteFileBytes(storePath, "OLD"));
    const WriteResult flat = WriteProgramFile(flatPath, text);
    const WriteResult got = WriteProgramFile(storePath, TextStore(text));
    ASSERT_EQ(got.status, flat.status);
    ASSERT_EQ(got.badLine, flat.badLine);
    if (flat.status == WriteStatus::kWritten) {
      ASSERT_EQ(ReadAll(storePath), ReadAll(flatPath));
    } else {
      ASSERT_EQ(ReadAll(storePath), QByteArray("OLD"));
    }
  }
  // A folder cannot be written.
  EXPECT_EQ(WriteProgramFile(dir.path(), TextStore(u"A ;"_qs)).status, WriteStatus::kFailed);
}

}  // namespace
