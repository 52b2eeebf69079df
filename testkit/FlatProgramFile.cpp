#include "testkit/FlatProgramFile.h"

#include "text/ProgramText.h"

QString StatementsFromFileText(QString content) {
  // One pass in place, left to right; pairs do not overlap, so CR CR LF
  // becomes CR ";". (QString::replace moves the tail once per match, which is
  // quadratic on a file of millions of lines.)
  const qsizetype n = content.size();
  QChar* text = content.data();
  qsizetype out = 0;
  for (qsizetype i = 0; i < n; ++i) {
    if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
      text[out++] = u';';
      ++i;
    } else {
      text[out++] = text[i];
    }
  }
  content.truncate(out);
  return content;
}

QString ProgramTextFromFile(QString content) {
  return NormalizeProgramText(StatementsFromFileText(std::move(content)));
}
