#include "frame/StatusBar.h"

#include <QLabel>

#include "platform/Twips.h"

namespace {
// A panel added without a width gets the bar's default of 1440 twips.
constexpr int kDefaultPanelTwips = 1440;
}  // namespace

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
  setFixedHeight(TwipsToPixels(315));
  setSizeGripEnabled(false);
  AddPanel();
}

QString StatusBar::Panel::Text() const { return label_->text(); }

void StatusBar::Panel::SetText(const QString& text) { label_->setText(text); }

int StatusBar::Panel::Width() const { return label_->maximumWidth(); }

void StatusBar::Panel::SetWidth(int pixels) {
  // The width is an upper bound, not a minimum: panels that together fill the
  // bar must not stop the frame from being made narrower.
  label_->setMaximumWidth(pixels < 0 ? 0 : pixels);
}

StatusBar::Panel& StatusBar::Panels(int index) { return panels_.at(static_cast<size_t>(index - 1)); }

StatusBar::Panel& StatusBar::AddPanel() {
  auto* label = new QLabel(this);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setMinimumWidth(0);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  label->setTextFormat(Qt::PlainText);
  addWidget(label, 1);  // panels share the bar up to their widths
  panels_.emplace_back(label);
  panels_.back().SetWidth(TwipsToPixels(kDefaultPanelTwips));
  return panels_.back();
}
