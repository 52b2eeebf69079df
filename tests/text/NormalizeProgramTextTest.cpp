#include <gtest/gtest.h>

#include <QChar>
#include <random>

#include "testkit/NormalizeOracle.h"
#include "testkit/RandomText.h"
#include "text/ProgramText.h"

namespace {

struct NormalizeCase {
  QString input;
  QString expected;
};

TEST(NormalizeProgramText, Cases) {
  const NormalizeCase cases[] = {
      {u"g01x10y-20.5;"_qs, u"G01 X10 Y-20.5 ;\r\n"_qs},
      {u"G01 X10 ;\r\n"_qs, u"G01 X10 ;\r\n"_qs},
      {u"X10,Y20;"_qs, u"X10 ,Y20 ;\r\n"_qs},
      {u"X1.5Y2;"_qs, u"X1.5 Y2 ;\r\n"_qs},
      {u"#1=2A;"_qs, u"#1=2 A ;\r\n"_qs},
      {u"G01X1;G02"_qs, u"G01 X1 ;\r\nG02"_qs},
      {u"A;\r\nB;"_qs, u"A ;\r\nB ;\r\n"_qs},
      {u"A;;"_qs, u"A ;\r\n ;\r\n"_qs},
      {u"   \r\n"_qs, u""_qs},
      {u""_qs, u""_qs},
      {u"A\r1B"_qs, u"A\r1 B"_qs},
      {u"A\n1B"_qs, u"A\n1 B"_qs},
      {u"\uFF38\uFF11\uFF10x1y"_qs, u"\uFF38\uFF11\uFF10X1 Y"_qs},
      {u"\uFF58\uFF11"_qs, u"\uFF38\uFF11"_qs},
      // Spaces go before pairs are looked for; a pair cut by a space goes too.
      {u"X1\r \nY2"_qs, u"X1 Y2"_qs},
      // The digit flag survives a removed line break.
      {u"X1\r\nY2;"_qs, u"X1 Y2 ;\r\n"_qs},
      // Nested pairs go entirely, so that the result is a fixed point.
      {u"A\r\r\n\nB"_qs, u"AB"_qs},
      {u"\r\r\n\n"_qs, u""_qs},
      // A line feed after ";" is not paired with the inserted CR LF.
      {u"A;\nB"_qs, u"A ;\r\n\nB"_qs},
      {u"A\r;"_qs, u"A\r ;\r\n"_qs},
      {u"\t1\u3000a"_qs, u"\t1\u3000 A"_qs},
      // Characters whose upper case is an address letter take the space too.
      {u"1\u0131"_qs, u"1 I"_qs},
      {u"1\u017F"_qs, u"1 S"_qs},
      {u"\u00DF\u00E9"_qs, u"\u00DF\u00C9"_qs},
      {u"\U00010428"_qs, u"\U00010400"_qs},  // Deseret, outside the BMP
      {u"1,,2,a"_qs, u"1 ,,2 ,A"_qs},
  };
  for (const NormalizeCase& c : cases) {
    SCOPED_TRACE(c.input.toUtf8().toPercentEncoding().toStdString());
    EXPECT_EQ(NormalizeProgramText(c.input), c.expected);
  }
}

TEST(NormalizeProgramText, KeepsNulAndLoneSurrogates) {
  const QString in = QString(u"a\0;"_qs) + QChar(0xDC81) + u"1"_qs + QChar(0xD800) + u"b"_qs;
  const QString out = QString(u"A\0 ;\r\n"_qs) + QChar(0xDC81) + u"1"_qs + QChar(0xD800) + u" B"_qs;
  EXPECT_EQ(NormalizeProgramText(in), out);
}

TEST(NormalizeProgramText, HandlesATenMegabyteLine) {
  QString in;
  for (int k = 0; k < 1024 * 1024; ++k) in += u"x1 y2.5 "_qs;  // 8 MB, no ";"
  in += QString(2 * 1024 * 1024, u'9');
  const QString out = NormalizeProgramText(in);
  ASSERT_EQ(out.size(), 8 * 1024 * 1024 - 1 + 2 * 1024 * 1024);
  EXPECT_TRUE(out.startsWith(u"X1 Y2.5 X1 Y2.5 X1"_qs));
  EXPECT_EQ(out.sliced(8 * 1024 * 1024 - 5, 7), u"Y2.5999"_qs);
}


TEST(NormalizeProgramText, RandomTextsKeepTheirCharactersAndAreFixedPoints) {
  std::mt19937 rng(7341);
  for (int round = 0; round < 5000; ++round) {
    const QString text = RandomText(rng, 60);
    SCOPED_TRACE(text.toUtf8().toPercentEncoding().toStdString());
    const QString once = NormalizeProgramText(text);
    EXPECT_EQ(NormalizeProgramText(once), once);

    EXPECT_EQ(WithoutNormalizerAdditions(once), NormalizerCore(text));
  }
}

}  // namespace
