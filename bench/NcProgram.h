#pragma once
// Deterministic NC programs of a given size for the benchmarks, written the way
// CAM systems write them: "N12345G01X-123.456Y78.9F1200" lines with CR LF.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The program as file bytes (ASCII, CR LF), about `bytes` long.
inline QByteArray MakeNcProgramBytes(qsizetype bytes) {
  QByteArray out;
  out.reserve(bytes + 64);
  uint32_t state = 12345;
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return (state >> 8) & 0xffff;
  };
  int64_t n = 1;
  while (out.size() < bytes) {
    char line[96];
    const int g = (next() % 4 == 0) ? 0 : 1;
    const int x = static_cast<int>(next() % 400000) - 200000;
    const int y = static_cast<int>(next() % 400000) - 200000;
    const int len = snprintf(line, sizeof line, "N%lldG0%dX%d.%03dY%d.%dF%d\r\n",
                             static_cast<long long>(n), g, x / 1000, std::abs(x % 1000),
                             y / 1000, std::abs(y % 10), 100 * static_cast<int>(next() % 30 + 1));
    out.append(line, len);
    ++n;
  }
  return out;
}

// The same program as the editor shows it after opening: canonical statements.
// Built directly, so that benchmarks of later steps do not depend on the reader.
QString MakeCanonicalNcProgram(qsizetype bytes);
