// The document store against a flat QString under random edits: every
// accessor after every step, older copies unchanged, the tree's invariants
// kept. The suite also runs on the store built with tiny nodes and its asserts
// on (kesto_store_tiny_tests), where these texts make deep trees.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "document/StoreProgramText.h"
#include "document/TextStore.h"
#include "testkit/FlatProgramText.h"
#include "testkit/RandomText.h"
#include "testkit/StoreNormalize.h"
#include "text/ProgramText.h"

namespace {

// Texts that mix what the store keeps apart: one-byte runs, long and short,
// Japanese, line breaks, lone surrogates.
QString RandomInsert(std::mt19937& rng, int maxLength) {
  static const QString kPieces[] = {
      u"G01 X10 Y-20.5 ;\r\n"_qs, u"N123G00"_qs, u"\r\n"_qs, u"\n"_qs, u"\r"_qs,
      u";"_qs, u"x"_qs, u"\u00E9\u00FF"_qs, u"(\u5DE5\u5177\u4EA4\u63DB)"_qs,
      QString(QChar(0xDC81)), QString(QChar(0xD800)), u"\U0001F600"_qs,
      QString(300, u'A'), QString(150, QChar(0x30A2)), u"\uFF38\uFF11"_qs};
  std::uniform_int_distribution<int> count(0, maxLength);
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  QString text;
  for (int n = count(rng); n > 0; --n) text += kPieces[pick(rng)];
  return text;
}

// Every accessor of `store` against the flat `text`.
void ExpectSame(const TextStore& store, const QString& text, std::mt19937& rng) {
  const int32_t n = int32_t(text.size());
  ASSERT_EQ(store.size(), n);
  ASSERT_EQ(store.isEmpty(), text.isEmpty());
  ASSERT_EQ(store.toString(), text);
  ASSERT_EQ(store.brokenInvariant(), nullptr);

  std::vector<int32_t> starts{0};
  int32_t longest = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (text[i] == u'\n') {
      longest = std::max(longest, i + 1 - starts.back());
      starts.push_back(i + 1);
    }
  }
  longest = std::max(longest, n - starts.back());
  ASSERT_EQ(store.lineCount(), int32_t(starts.size()));
  ASSERT_EQ(store.maxLineLength(), longest);
  for (int32_t line = -1; line <= int32_t(starts.size()); ++line) {
    const int32_t clamped = std::clamp<int32_t>(line, 0, int32_t(starts.size()) - 1);
    ASSERT_EQ(store.lineStart(line), starts[clamped]) << line;
  }

  std::uniform_int_distribution<int32_t> offset(-2, n + 2);
  for (int k = 0; k < 20; ++k) {
    const int32_t pos = offset(rng);
    const int32_t clamped = std::clamp(pos, 0, n);
    const int32_t lfs = int32_t(std::count(text.begin(), text.begin() + clamped, u'\n'));
    ASSERT_EQ(store.lineFromChar(pos), lfs) << pos;
    if (pos >= 0 && pos < n) {
      ASSERT_EQ(store.at(pos), text[pos].unicode()) << pos;
    }
    const int32_t length = offset(rng);
    const QString expected = text.mid(clamped, std::max(0, std::min(length, n - clamped)));
    ASSERT_EQ(store.mid(pos, length), expected) << pos << " " << length;
    QString pieces;
    store.forEachPiece(pos, length, [&pieces](auto piece) {
      ASSERT_FALSE(piece.isEmpty());
      pieces += piece;
    });
    ASSERT_EQ(pieces, expected);
  }
}

TEST(TextStore, RandomEditsAgreeWithAFlatStringAndKeepOlderCopies) {
  std::mt19937 rng(20240515);
  for (int round = 0; round < 30; ++round) {
    QString text = RandomInsert(rng, round % 3 == 0 ? 400 : 20);
    TextStore store(text);
    std::vector<std::pair<TextStore, QString>> copies;
    for (int step = 0; step < 60; ++step) {
      SCOPED_TRACE(testing::Message() << "round " << round << " step " << step);
      const int32_t n = int32_t(text.size());
      std::uniform_int_distribution<int32_t> at(-3, n + 3);
      const int32_t pos = at(rng);
      const int32_t removed = std::uniform_int_distribution<int32_t>(-2, step % 7 == 0 ? n : 40)(rng);
      const QString inserted = RandomInsert(rng, step % 11 == 0 ? 200 : 4);
      if (step % 5 == 0) copies.emplace_back(store, text);

      ASSERT_TRUE(store.replace(pos, removed, inserted));
      const int32_t from = std::clamp(pos, 0, n);
      text.replace(from, std::clamp(removed, 0, n - from), inserted);
      ExpectSame(store, text, rng);
    }
    for (const auto& [copy, then] : copies) {
      ASSERT_EQ(copy.toString(), then);
      ASSERT_EQ(copy == store, then == text);
      ASSERT_TRUE(copy == TextStore(then));
      // What the text and an older copy have in common at either end, with
      // chunks shared and without.
      const int32_t shorter = int32_t(std::min(then.size(), text.size()));
      int32_t head = 0;
      while (head < shorter && then[head] == text[head]) ++head;
      int32_t tail = 0;
      while (tail < shorter - head && then[then.size() - 1 - tail] == text[text.size() - 1 - tail]) ++tail;
      ASSERT_EQ(SharedPrefix(copy, store), head);
      ASSERT_EQ(SharedPrefix(TextStore(then), store), head);
      ASSERT_EQ(SharedSuffix(copy, store, shorter - head), tail);
      ASSERT_EQ(SharedSuffix(store, TextStore(then), shorter - head), tail);
      ASSERT_EQ(SharedSuffix(copy, TextStore(then), shorter), shorter);
    }
  }
}

TEST(TextStore, LargeTextsStayShallowAndCompact) {
  // A program built in one go, then edited line by line all over: the tree
  // stays shallow, one byte per unit, without splinters of chunks.
  QByteArray program;
  for (int line = 0; program.size() < 8'000'000; ++line)
    program += "N" + QByteArray::number(line) + " G01 X10.5 Y-20 ;\r\n";
  TextStore::Builder builder;
  builder.append(QLatin1StringView(program));
  TextStore store = builder.finish();
  const TextStore original = store;
  std::mt19937 rng(99);
  for (int k = 0; k < 3000; ++k) {
    const int32_t line = std::uniform_int_distribution<int32_t>(0, store.lineCount() - 1)(rng);
    const int32_t start = store.lineStart(line);
    store.replace(start, k % 2 ? 3 : 0, k % 3 ? u"X1 "_qs : u"\u5DE5 ;\r\n"_qs);
  }
  ASSERT_EQ(store.brokenInvariant(), nullptr);
  EXPECT_EQ(original.toString().toLatin1(), program);
#ifndef KESTO_STORE_TINY_NODES  // the shape of the tree with the real node sizes
  const TextStore::Stats stats = store.stats();
  EXPECT_LE(stats.height, 4);
  EXPECT_LT(stats.bytes, int64_t(store.size()) * 13 / 10);
  EXPECT_LT(stats.chunks, store.size() / 1000);
  EXPECT_LE(original.stats().bytes, int64_t(program.size()) * 103 / 100);
#endif

  // What an edited copy shares with the original at either end, found by
  // passing over whole subtrees the two share.
  for (const int32_t at : {original.size() / 3, original.size() * 2 / 3}) {
    TextStore one = original;
    one.replace(at, 1, u"#\u5DE5"_qs);
    EXPECT_EQ(SharedPrefix(original, one), at);
    EXPECT_EQ(SharedSuffix(original, one, original.size()), original.size() - at - 1);
    EXPECT_EQ(SharedSuffix(original, one, 1000), 1000);
  }
  const QString before = original.toString();
  const QString after = store.toString();
  const int32_t head = int32_t(std::mismatch(before.begin(), before.end(), after.begin(), after.end()).first - before.begin());
  const int32_t tail = int32_t(std::mismatch(before.rbegin(), before.rend(), after.rbegin(), after.rend()).first - before.rbegin());
  EXPECT_EQ(SharedPrefix(original, store), head);
  EXPECT_EQ(SharedSuffix(store, original, store.size()), tail);
}

TEST(TextStore, BuildersConcatenateAndStopAtTheirLimit) {
  std::mt19937 rng(5);
  QString whole;
  TextStore::Builder builder;
  for (int part = 0; part < 40; ++part) {
    const QString text = RandomInsert(rng, 300);
    whole += text;
    if (part % 2) {
      builder.append(TextStore(text));
    } else {
      builder.append(QStringView(text));
    }
  }
  const TextStore built = builder.finish();
  EXPECT_EQ(built.toString(), whole);
  EXPECT_EQ(built.brokenInvariant(), nullptr);
  EXPECT_EQ(builder.finish().size(), 0);  // a finished builder starts over

  TextStore::Builder limited(10);
  limited.append(QLatin1StringView("0123456789"));
  EXPECT_FALSE(limited.overflowed());
  limited.append(QStringView(u"x"));
  EXPECT_TRUE(limited.overflowed());
  EXPECT_TRUE(limited.finish().isEmpty());

  TextStore a(u"abc"_qs);
  EXPECT_TRUE(a.append(TextStore(u"\u5DE5"_qs)));
  EXPECT_EQ(a.toString(), u"abc\u5DE5"_qs);
}

// Reading outside the text, which at() does not allow: the store asserts
// where asserts are on, else gives 0, also when it is empty and has no tree.
TEST(TextStore, UnitOutsideTheTextIsAssertedOrZero) {
  const TextStore one(u"\u5DE5"_qs);
  for (const TextStore& store : {TextStore(), one}) {
    for (const int32_t offset : {-1, store.size(), INT32_MAX}) {
#ifdef QT_NO_DEBUG
      EXPECT_EQ(store.at(offset), 0) << offset;
#else
      EXPECT_DEATH(store.at(offset), "outside the text") << offset;
#endif
    }
  }
  EXPECT_EQ(one.at(0), 0x5DE5);
}

// The line lookup and the normaliser over the store give what the flat
// versions give over the same text, also after edits that leave the store's
// chunks cut anywhere (between CR and LF, between surrogate halves).
TEST(TextStore, ProgramTextRoutinesAgreeWithTheFlatOnes) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 300; ++round) {
    QString text = RandomText(rng, round % 10 == 0 ? 3000 : 80);
    TextStore store(text);
    for (int edit = 0; edit < 4; ++edit) {
      SCOPED_TRACE(text.toUtf8().toPercentEncoding().toStdString());
      const int32_t lines = store.lineCount();
      for (int32_t n : {INT32_MIN, -1, 0, 1, 2, lines / 2, lines - 1, lines, lines + 1, lines + 2,
                        INT32_MAX}) {
        const LineInfo flat = GetProgramLine(n, text);
        const LineInfo got = GetProgramLine(n, store);
        ASSERT_EQ(got.Status, flat.Status) << n;
        ASSERT_EQ(got.StartPos, flat.StartPos) << n;
        ASSERT_EQ(got.EndPos, flat.EndPos) << n;
        ASSERT_EQ(got.Text, flat.Text) << n;
      }
      ASSERT_EQ(NormalizeProgramText(store)->toString(), NormalizeProgramText(text));

      const QString inserted = RandomText(rng, 30);
      const int32_t pos = std::uniform_int_distribution<int32_t>(0, store.size())(rng);
      const int32_t removed = std::uniform_int_distribution<int32_t>(0, 10)(rng);
      store.replace(pos, removed, inserted);
      text.replace(pos, removed, inserted);
      ASSERT_EQ(store.brokenInvariant(), nullptr);
    }
  }
}

}  // namespace
