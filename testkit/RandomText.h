#pragma once
// Random program-like texts over an alphabet that mixes what programs hold
// with what trips text routines up: bare CR and LF, CR LF pairs, NUL, tabs,
// full-width characters, characters whose upper case is ASCII, surrogate pairs
// and lone surrogates.

#include <QString>
#include <random>
#include <string_view>

inline QString RandomText(std::mt19937& rng, int maxLength) {
  using namespace std::string_view_literals;
  static constexpr std::u16string_view kPieces[] = {
      u"G"sv,      u"x"sv,      u"Y"sv,      u"a"sv,      u"z"sv,      u"0"sv,
      u"1"sv,      u"9"sv,      u","sv,      u";"sv,      u" "sv,      u"."sv,
      u"-"sv,      u"#"sv,      u"="sv,      u"\r"sv,     u"\n"sv,     u"\r\n"sv,
      u"\r\n"sv,   u"\t"sv,     u"\0"sv,     u"\u3000"sv, u"\uFF38"sv, u"\uFF11"sv,
      u"\u00DF"sv, u"\u0131"sv, u"\u017F"sv, u"\u00E9"sv, u"\u5DE5"sv, u"\U0001F600"sv,
      u"\xDC81"sv, u"\xD800"sv};
  std::uniform_int_distribution<int> length(0, maxLength);
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  QString text;
  for (int n = length(rng); n > 0; --n) {
    const std::u16string_view p = kPieces[piece(rng)];
    text.append(QStringView(p.data(), p.size()));
  }
  return text;
}
