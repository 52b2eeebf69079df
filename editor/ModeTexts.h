#pragma once
// The four mode texts of an editor window and the colours of its text.

#include <QRgb>
#include <QString>
#include <cstdint>

namespace ModeTexts {
inline const QString kBrowse = QStringLiteral("★閲覧モード★");
inline const QString kLineEdit = QStringLiteral(
    "★編集モード★　【終了】Enter、PgUp、PgDn、カーソルを押す　【注意】マウス操作不可");
inline const QString kRangeSelection =
    QStringLiteral("★範囲選択モード★　【終了】マウスクリック　【注意】キー入力不可");
inline const QString kConfirmation =
    QStringLiteral("★確認モード★　【終了】キーを押す　【注意】範囲選択、キー入力不可");
}  // namespace ModeTexts

namespace TextColors {
constexpr QRgb kEditedLine = 0xffff4040;  // RGB(255, 64, 64)
constexpr QRgb kCommitted = 0xff4040ff;   // RGB(64, 64, 255)
constexpr QRgb kNormal = 0xff000000;      // RGB(0, 0, 0)
}  // namespace TextColors

// " 12行目": the line number with a sign position, then "行目".
QString LineText(int32_t lineNumber);
// A number with a sign position: " 12", "-3".
QString SignedNumber(long long value);
