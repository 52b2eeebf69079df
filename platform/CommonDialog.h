#pragma once
// The frame's common file dialog: set Filter, FileName and Flags, then call
// ShowOpen or ShowSave; FileName then holds the chosen path, or "" when the
// user cancelled (which raises no error).

#include <QString>

class Services;

class CommonDialog {
 public:
  explicit CommonDialog(Services& services) : services_(services) {}

  QString Filter;
  QString FileName;
  int Flags = 0;

  void ShowOpen();
  void ShowSave();

 private:
  Services& services_;
};
