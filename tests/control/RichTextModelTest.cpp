// The document model of the program text control, without a display: the
// line index and the colour runs against a plain per-character reference
// after random edits, and the colour and clamping rules case by case.

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "control/RichTextModel.h"
#include "testkit/FlatProgramText.h"
#include "text/ProgramText.h"

namespace {

constexpr QRgb kBlack = RichTextModel::kDefaultColor;
constexpr QRgb kRed = 0xffff4040;
constexpr QRgb kBlue = 0xff4040ff;

// The same document kept the slow, obvious way: one colour per character.
struct Reference {
  QString text;
  std::vector<QRgb> colors;
  int32_t anchor = 0, caret = 0;
  std::optional<QRgb> typing;

  int32_t selStart() const { return std::min(anchor, caret); }
  int32_t selLength() const { return std::abs(anchor - caret); }
  void select(int32_t a, int32_t c) {
    const int32_t n = static_cast<int32_t>(text.size());
    a = std::clamp(a, 0, n);
    c = std::clamp(c, 0, n);
    if (a != anchor || c != caret) typing.reset();
    anchor = a;
    caret = c;
  }
  QRgb insertionColor() const {
    if (typing) return *typing;
    if (caret > 0) return colors[caret - 1];
    return colors.empty() ? kBlack : colors[0];
  }
  void setColor(QRgb color) {
    if (selLength() == 0) typing = color;
    else std::fill_n(colors.begin() + selStart(), selLength(), color);
  }
  void write(const QString& s) {
    const int32_t pos = selStart(), removed = selLength();
    if (removed == 0 && s.isEmpty()) return;
    const QRgb color = removed > 0 ? colors[pos] : insertionColor();
    text.replace(pos, removed, s);
    colors.erase(colors.begin() + pos, colors.begin() + pos + removed);
    colors.insert(colors.begin() + pos, s.size(), color);
    anchor = caret = pos + static_cast<int32_t>(s.size());
    typing.reset();
    if (s.isEmpty()) typing = color;
  }
};

void ExpectSameDocument(const RichTextModel& model, const Reference& ref, int step) {
  SCOPED_TRACE(testing::Message() << "after edit " << step);
  ASSERT_EQ(model.store().toString(), ref.text);
  // Line index: one line per line feed, each starting right after it.
  std::vector<int32_t> starts{0};
  int32_t longest = 0, previous = 0;
  for (int32_t i = 0; i < ref.text.size(); ++i) {
    if (ref.text[i] == u'\n') {
      starts.push_back(i + 1);
      longest = std::max(longest, i + 1 - previous);
      previous = i + 1;
    }
  }
  longest = std::max(longest, static_cast<int32_t>(ref.text.size()) - previous);
  ASSERT_EQ(model.lineCount(), static_cast<int32_t>(starts.size()));
  for (size_t line = 0; line < starts.size(); ++line) {
    ASSERT_EQ(model.lineStart(static_cast<int32_t>(line)), starts[line]) << "line " << line;
  }
  for (int32_t i = 0; i <= ref.text.size(); ++i) {
    const int32_t feeds = static_cast<int32_t>(ref.text.left(i).count(u'\n'));
    ASSERT_EQ(model.lineFromChar(i), feeds) << "offset " << i;
  }
  EXPECT_GE(model.maxLineLength(), longest);
  // Lines by number, through the index, as the line lookup finds them.
  for (int32_t n = -1; n <= model.lineCount() + 1; ++n) {
    const LineInfo expected = GetProgramLine(n, ref.text);
    const LineInfo actual = model.line(n);
    ASSERT_EQ(actual.Status, expected.Status) << "line " << n;
    ASSERT_EQ(actual.StartPos, expected.StartPos) << "line " << n;
    ASSERT_EQ(actual.EndPos, expected.EndPos) << "line " << n;
    ASSERT_EQ(actual.Text, expected.Text) << "line " << n;
  }
  // Colours, and runs that are well formed: strictly rising starts inside the
  // text, the first at 0, no two neighbours of one colour.
  for (int32_t i = 0; i < ref.text.size(); ++i) {
    ASSERT_EQ(model.colorAt(i), ref.colors[i]) << "offset " << i;
  }
  const auto& runs = model.runs();
  if (ref.text.isEmpty()) {
    EXPECT_TRUE(runs.empty());
  } else {
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front().start, 0);
    for (size_t i = 1; i < runs.size(); ++i) {
      EXPECT_LT(runs[i - 1].start, runs[i].start);
      EXPECT_NE(runs[i - 1].color, runs[i].color);
    }
    EXPECT_LT(runs.back().start, ref.text.size());
  }
  EXPECT_EQ(model.selStart(), ref.selStart());
  EXPECT_EQ(model.selLength(), ref.selLength());
  EXPECT_EQ(model.selColor(), ref.selLength() > 0 ? ref.colors[ref.selStart()]
                                                   : ref.insertionColor());
}

TEST(RichTextModel, RandomEditsKeepLinesAndColoursRight) {
  std::mt19937 random(20240611);
  const QString pieces[] = {"", "A", "\r\n", "\n", "\r", "G01 X10 ;", "\r\nN1\r\n", "（工具交換）"};
  const QRgb colours[] = {kBlack, kRed, kBlue};
  for (int round = 0; round < 40; ++round) {
    RichTextModel model;
    Reference ref;
    QString start;
    for (int i = random() % 6; i > 0; --i) start += pieces[random() % std::size(pieces)];
    model.setText(TextStore(start));
    ref.text = start;
    ref.colors.assign(start.size(), kBlack);
    for (int step = 0; step < 60; ++step) {
      const int32_t n = static_cast<int32_t>(ref.text.size());
      const int32_t a = static_cast<int32_t>(random() % (n + 3)) - 1;
      const int32_t len = static_cast<int32_t>(random() % 6) - 1;
      switch (random() % 4) {
        case 0:  // move, sometimes selecting
          model.setSelStart(a);
          ref.select(a, a);
          model.setSelLength(len);
          ref.select(ref.selStart(), ref.selStart() + std::max(0, len));
          break;
        case 1: {
          const QRgb c = colours[random() % std::size(colours)];
          model.setSelColor(c);
          ref.setColor(c);
          break;
        }
        default: {
          const QString s = pieces[random() % std::size(pieces)];
          model.setSelText(s);
          ref.write(s);
          break;
        }
      }
      ExpectSameDocument(model, ref, step);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(RichTextModel, ColourRules) {
  struct Case {
    const char* name;
    void (*act)(RichTextModel&);
    const char* text;
    std::vector<QRgb> colours;
  };
  // Every case starts from "ABCD" with "BC" red.
  const Case cases[] = {
      {"insert takes the colour before it",
       [](RichTextModel& m) { m.setSelStart(3); m.setSelText(u"x"); },
       "ABCxD", {kBlack, kRed, kRed, kRed, kBlack}},
      {"insert at the start takes the first colour",
       [](RichTextModel& m) { m.setSelStart(0); m.setSelText(u"x"); },
       "xABCD", {kBlack, kBlack, kRed, kRed, kBlack}},
      {"typing colour colours the next insert only",
       [](RichTextModel& m) {
         m.setSelStart(4); m.setSelColor(kBlue); m.setSelText(u"x"); m.setSelText(u"y");
       },
       "ABCDxy", {kBlack, kRed, kRed, kBlack, kBlue, kBlue}},
      {"typing colour is forgotten when the caret moves",
       [](RichTextModel& m) {
         m.setSelStart(4); m.setSelColor(kBlue); m.setSelStart(1); m.setSelStart(4);
         m.setSelText(u"x");
       },
       "ABCDx", {kBlack, kRed, kRed, kBlack, kBlack}},
      {"writing nothing keeps the typing colour",
       [](RichTextModel& m) {
         m.setSelStart(4); m.setSelColor(kBlue); m.setSelText(u""); m.setSelText(u"x");
       },
       "ABCDx", {kBlack, kRed, kRed, kBlack, kBlue}},
      {"replacing a selection takes its colour",
       [](RichTextModel& m) { m.setSelStart(1); m.setSelLength(3); m.setSelText(u"xy"); },
       "Axy", {kBlack, kRed, kRed}},
      {"deleting a selection leaves its colour for typing",
       [](RichTextModel& m) { m.setSelStart(1); m.setSelLength(2); m.setSelText(u""); m.setSelText(u"z"); },
       "AzD", {kBlack, kRed, kBlack}},
      {"deleting the tail leaves the rest as it was",
       [](RichTextModel& m) { m.setSelStart(2); m.setSelLength(9); m.setSelText(u""); },
       "AB", {kBlack, kRed}},
      {"colouring a selection",
       [](RichTextModel& m) { m.setSelStart(0); m.setSelLength(2); m.setSelColor(kBlue); },
       "ABCD", {kBlue, kBlue, kRed, kBlack}},
      {"a replacement in a colour of its own",
       [](RichTextModel& m) { m.setSelStart(1); m.setSelLength(2); m.replaceSelection(u"xyz", kBlue); },
       "AxyzD", {kBlack, kBlue, kBlue, kBlue, kBlack}},
      {"deleting everything, then typing into the empty text",
       [](RichTextModel& m) { m.setSelStart(0); m.setSelLength(4); m.setSelText(u""); m.setSelText(u"q"); },
       "q", {kBlack}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RichTextModel model;
    model.setText(TextStore(QStringLiteral("ABCD")));
    model.setSelStart(1);
    model.setSelLength(2);
    model.setSelColor(kRed);
    c.act(model);
    EXPECT_EQ(model.store().toString(), QString::fromUtf8(c.text));
    for (size_t i = 0; i < c.colours.size(); ++i) EXPECT_EQ(model.colorAt(i), c.colours[i]) << i;
  }
}

TEST(RichTextModel, AReplacementIsOneChange) {
  struct Counter : TextWatcher {
    int changes = 0;
    void TextChanged(int32_t, int32_t, int32_t) override { ++changes; }
  } counter;
  RichTextModel model;
  model.setText(TextStore(QStringLiteral("ABCD")));
  model.addWatcher(&counter);
  model.setSelStart(1);
  model.setSelLength(2);
  model.replaceSelection(u"xyz", kBlue);
  EXPECT_EQ(counter.changes, 1);
  EXPECT_EQ(model.caret(), 4);
  EXPECT_EQ(model.selLength(), 0);
  model.removeWatcher(&counter);
}

TEST(RichTextModel, OffsetsAreClamped) {
  RichTextModel model;
  model.setText(TextStore(QStringLiteral("AB\r\nCD")));
  model.setSelStart(-5);
  EXPECT_EQ(model.selStart(), 0);
  model.setSelStart(99);
  EXPECT_EQ(model.selStart(), 6);
  model.setSelStart(4);
  model.setSelLength(99);
  EXPECT_EQ(model.selLength(), 2);
  model.setSelLength(-3);
  EXPECT_EQ(model.selLength(), 0);
  EXPECT_EQ(model.lineFromChar(-1), 0);
  EXPECT_EQ(model.lineFromChar(99), 1);
  EXPECT_EQ(model.lineStart(7), 4);
  EXPECT_EQ(model.colorAt(99), kBlack);
}

TEST(RichTextModel, LineTextEndsBeforeTheLineBreak) {
  RichTextModel model;
  model.setText(TextStore(QStringLiteral("AB\r\nC\n\r\r\nD\r")));
  // Lines: "AB" CR LF, "C" LF, CR CR LF (a bare CR as text), "D" CR.
  ASSERT_EQ(model.lineCount(), 4);
  EXPECT_EQ(model.lineTextEnd(0), 2);
  EXPECT_EQ(model.lineTextEnd(1), 5);
  EXPECT_EQ(model.lineTextEnd(2), 7);
  EXPECT_EQ(model.lineTextEnd(3), 11);
  EXPECT_EQ(model.maxLineLength(), 4);
}

}  // namespace
