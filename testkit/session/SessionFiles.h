#pragma once
// The files an editor session opens and saves to, in a folder of their own,
// written afresh before every session so that each one starts from the same
// disk: programs of every kind the editor must survive (empty, NUL bytes, a
// picture, a very long line, bytes that are no CP932, bare CR and LF), a
// folder named like a program, and a file that vanishes while the dialog is up.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

namespace editor_session {

class SessionFiles {
 public:
  explicit SessionFiles(const QString& dir);

  // Writes every prepared file afresh and removes what earlier sessions made.
  void Reset();

  // What the open dialog returns for a choice byte: the prepared files, a
  // folder, a missing file, or "" (cancelled). `vanishes` is set for the file
  // that is to disappear while the dialog is up.
  struct OpenChoice {
    QString path;
    bool vanishes = false;
  };
  OpenChoice ForOpen(uint8_t choice) const;

  // What the save dialog returns for a choice byte: a new file, an existing
  // one, a folder, a file in a missing folder, a name without extension, or
  // "" (cancelled).
  QString ForSave(uint8_t choice) const;

 private:
  QDir dir_;
  std::vector<std::pair<const char*, QByteArray>> contents_;
};

}  // namespace editor_session
