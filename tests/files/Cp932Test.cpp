#include <gtest/gtest.h>

#include <random>

#include "files/Cp932.h"
#include "testkit/FlatCp932.h"

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(char(v));
  return out;
}

QString Units(std::initializer_list<char16_t> units) {
  QString out;
  for (char16_t u : units) out.append(QChar(u));
  return out;
}

void ExpectRoundTrip(const QByteArray& bytes) {
  const Cp932Encoded back = EncodeCp932(DecodeCp932(bytes));
  ASSERT_TRUE(back.ok()) << "bad offset " << back.badOffset << " in " << bytes.toHex(' ').data();
  ASSERT_EQ(back.bytes, bytes) << bytes.toHex(' ').data();
}

TEST(Cp932, JapaneseBothWays) {
  const QByteArray bytes = Bytes({0x81, 0x69, 0x8D, 0x48, 0x8B, 0xEF, 0x8C, 0xF0, 0x8A, 0xB7, 0x81, 0x6A});
  const QString text = u"（工具交換）"_qs;
  EXPECT_EQ(DecodeCp932(bytes), text);
  const Cp932Encoded encoded = EncodeCp932(text);
  EXPECT_TRUE(encoded.ok());
  EXPECT_EQ(encoded.bytes, bytes);

  const QByteArray mixed = "N10(" + bytes + ")G01\xB6\xC5\r\n";  // half-width "ｶﾅ"
  const QString mixedText = u"N10(（工具交換）)G01\uFF76\uFF85\r\n"_qs;
  EXPECT_EQ(DecodeCp932(mixed), mixedText);
  EXPECT_EQ(EncodeCp932(mixedText).bytes, mixed);
}

TEST(Cp932, AsciiBytesAreTheirOwnCharacters) {
  QByteArray bytes;
  QString text;
  for (int b = 0; b < 0x80; ++b) {
    bytes.append(char(b));
    text.append(QChar(b));
  }
  EXPECT_EQ(DecodeCp932(bytes), text);
  EXPECT_EQ(EncodeCp932(text).bytes, bytes);
}

struct DecodeCase {
  const char* name;
  QByteArray bytes;
  QString text;
};

TEST(Cp932, BadBytesAreKept) {
  const DecodeCase cases[] = {
      {"lead byte at end", Bytes({'G', 0x81}), Units({u'G', 0xDC81})},
      {"only a lead byte", Bytes({0xE0}), Units({0xDCE0})},
      {"0x80", Bytes({'A', 0x80, 'B'}), Units({u'A', 0xDC80, u'B'})},
      {"0xA0", Bytes({0xA0}), Units({0xDCA0})},
      {"0xFD 0xFE 0xFF", Bytes({0xFD, 0xFE, 0xFF}), Units({0xDCFD, 0xDCFE, 0xDCFF})},
      {"lead byte before LF", Bytes({0x81, '\n', 'X'}), Units({0xDC81, u'\n', u'X'})},
      {"invalid second byte", Bytes({0x81, 0x7F}), Units({0xDC81, 0x7F})},
      {"bad pair before a good one", Bytes({0x81, 0xFF, 0x81, 0x40}), Units({0xDC81, 0xDCFF, 0x3000})},
      {"NEC duplicate of a symbol", Bytes({0x87, 0x90}), Units({0xDC87, 0xDC90})},
      {"NEC-selected IBM duplicate", Bytes({0xED, 0x40, 'A'}), Units({0xDCED, u'@', u'A'})},
      {"IBM form is its own", Bytes({0xFA, 0x5C}), Units({0x7E8A})},
      {"user-defined area", Bytes({0xF0, 0x40}), Units({0xE000})},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeCp932(c.bytes), c.text);
    ExpectRoundTrip(c.bytes);
  }
}

struct EncodeFailure {
  const char* name;
  QString text;
  qsizetype badOffset;
};

TEST(Cp932, UnencodableCharacterIsReportedAtItsOffset) {
  const EncodeFailure cases[] = {
      {"emoji", u"G01\U0001F600X1"_qs, 3},
      {"sharp s", u"\u5DE5\u00DF"_qs, 1},
      {"first of several", u"ab\u5DE5\u00DF\U0001F600"_qs, 3},
      {"lone high surrogate at end", Units({u'A', 0xD800}), 1},
      {"lone high surrogate before ASCII", Units({0xD83D, u'A'}), 0},
      {"lone low surrogate below the bytes", Units({u'A', 0xDC10}), 1},
      {"lone low surrogate above the bytes", Units({0xDD80}), 0},
      // A high surrogate and an escaped byte make a character outside CP932.
      {"high surrogate before escape", Units({u'x', 0xD83D, 0xDC80}), 1},
      {"bad before lone surrogate", Units({0x00DF, 0xDC10}), 0},
  };
  for (const EncodeFailure& c : cases) {
    SCOPED_TRACE(c.name);
    const Cp932Encoded encoded = EncodeCp932(c.text);
    EXPECT_FALSE(encoded.ok());
    EXPECT_EQ(encoded.badOffset, c.badOffset);
    EXPECT_TRUE(encoded.bytes.isEmpty());
  }
}

TEST(Cp932, EscapedBytesEncodeToThemselves) {
  const Cp932Encoded encoded = EncodeCp932(Units({u'A', 0xDC80, 0x5DE5, 0xDCFF, 0xDC81}));
  ASSERT_TRUE(encoded.ok());
  EXPECT_EQ(encoded.bytes, Bytes({'A', 0x80, 0x8D, 0x48, 0xFF, 0x81}));
}

TEST(Cp932, EveryTwoByteSequenceRoundTrips) {
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      ExpectRoundTrip(Bytes({first, second}));
      // Also with a neighbour on each side, so that the pair's stretch meets
      // ASCII and a following lead byte.
      ExpectRoundTrip(Bytes({'X', first, second, 0x82}));
    }
  }
}

TEST(Cp932, RandomBytesRoundTrip) {
  std::mt19937 rng(932);
  std::uniform_int_distribution<int> length(0, 64);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> ascii(0, 3);
  for (int round = 0; round < 20000; ++round) {
    QByteArray bytes;
    for (int n = length(rng); n > 0; --n) {
      // Mostly high bytes, some ASCII: lead and trail bytes meet often.
      bytes.append(char(ascii(rng) == 0 ? byte(rng) & 0x7F : byte(rng)));
    }
    ExpectRoundTrip(bytes);
  }
}

TEST(Cp932, EmptyInput) {
  EXPECT_TRUE(DecodeCp932(QByteArray()).isEmpty());
  const Cp932Encoded encoded = EncodeCp932(QString());
  EXPECT_TRUE(encoded.ok());
  EXPECT_TRUE(encoded.bytes.isEmpty());
}

}  // namespace
