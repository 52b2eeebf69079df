// The two tool bars at the frame's bottom edge: the soft keyboard (Toolbar1)
// and the angle calculator (Toolbar2), placed from the layout tables. Their
// keys carry no action (a click only takes the focus) except the line probe.

#include <QFont>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStyle>

#include "control/ProgramFont.h"
#include "frame/MDIForm1.h"
#include "frame/ToolbarLayout.h"
#include "platform/Twips.h"

namespace {

using namespace ToolbarLayout;

QRect PixelRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
               TwipsToPixels(height));
}

// The room a push button's caption has across it: its width less the style's
// margins and frame on both sides.
int CaptionRoom(const QPushButton& button) {
  const QStyle* style = button.style();
  const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                     style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
  return button.width() - 2 * margin;
}

// A key in the application's font keeps its designed size; where its caption
// would not fit across it, the font is made smaller until it does.
void FitCaption(QPushButton& button) {
  QFont font = button.font();
  while (font.pointSizeF() > 6 &&
         QFontMetrics(font).horizontalAdvance(button.text()) > CaptionRoom(button)) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
  }
  button.setFont(font);
}

QPushButton* PlaceKey(QWidget* bar, const Key& key) {
  auto* button = new QPushButton(QString::fromUtf8(key.caption.data(), key.caption.size()), bar);
  button->setObjectName(QStringLiteral("Command%1").arg(key.number));
  button->setGeometry(PixelRect(key.left, key.top, key.width, key.height));
  if (key.face == Face::kKey) button->setFont(ProgramFont(12));
  if (key.face == Face::kWideKey) button->setFont(ProgramFont(9));
  if (key.face == Face::kDefault) FitCaption(*button);
  button->setAutoDefault(false);
  return button;
}

void PlaceField(QWidget* bar, const Field& field) {
  auto* edit = new QLineEdit(bar);
  edit->setObjectName(QString::fromUtf8(field.name.data(), field.name.size()));
  edit->setGeometry(PixelRect(field.left, field.top, field.width, field.height));
  edit->setFont(ProgramFont(12));
  // A file dropped on the field is the frame's to open, not text to insert.
  edit->setAcceptDrops(false);
  if (field.tinted) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, QColor(192, 192, 255));
    edit->setPalette(palette);
  }
}

}  // namespace

void MDIForm1::CreateToolbars() {
  for (size_t row = 0; row < kRowTops.size(); ++row) {
    for (size_t column = 0; column < kColumnLefts.size(); ++column) {
      const int number = static_cast<int>(row * kColumnLefts.size() + column + 1);
      PlaceKey(Toolbar1, {number, kRowCaptions[row][column], kColumnLefts[column], kRowTops[row],
                          kKeySize, kKeySize});
    }
  }
  for (const Key& key : kSoftKeyboardExtras) {
    QPushButton* button = PlaceKey(Toolbar1, key);
    if (key.number == kLineProbeKey) {
      connect(button, &QPushButton::clicked, this, &MDIForm1::Command51_Click);
    }
  }

  for (const Key& key : kCalculatorKeys) PlaceKey(Toolbar2, key);
  for (const Field& field : kCalculatorFields) PlaceField(Toolbar2, field);
}
