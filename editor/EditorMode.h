#pragma once
// The four modes of an editor window. A window enters a mode in one place
// (Form1::EnterMode), which sets everything the mode decides: the two flags of
// the state record, whether the mouse is shut out, the mode text shown in the
// status bar and read out to screen readers. Each mode also gives the text it
// marks its colour.

#include <QRgb>
#include <QString>

#include "editor/ModeTexts.h"

enum class EditorMode {
  kBrowse,          // the caret moves freely, all text black
  kLineEdit,        // one line changed from the keyboard, red; no mouse
  kConfirmation,    // the committed line in blue until any key
  kRangeSelection,  // whole lines selected with the mouse
};

inline const QString& ModeTextOf(EditorMode mode) {
  switch (mode) {
    case EditorMode::kLineEdit: return ModeTexts::kLineEdit;
    case EditorMode::kConfirmation: return ModeTexts::kConfirmation;
    case EditorMode::kRangeSelection: return ModeTexts::kRangeSelection;
    case EditorMode::kBrowse: break;
  }
  return ModeTexts::kBrowse;
}

// The colour a mode gives the text it marks: the edited line, the committed
// text; black otherwise (a range shows in the control's selection highlight).
constexpr QRgb ModeColor(EditorMode mode) {
  switch (mode) {
    case EditorMode::kLineEdit: return TextColors::kEditedLine;
    case EditorMode::kConfirmation: return TextColors::kCommitted;
    default: return TextColors::kNormal;
  }
}
