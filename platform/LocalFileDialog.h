#pragma once
// Qt's file dialog for names that are not UTF-8. Qt lists no such name in its
// own dialog and refuses a typed one, since the lossy form it decodes the name
// to (U+FFFD for each such byte) names no file; a native dialog lists the
// file but returns that lossy form. This dialog takes the typed name when it
// names one file by its bytes (see ResolveShownPath), and ChosenPath gives
// the bytes on disk whichever dialog the desktop shows.

#include <QFileDialog>
#include <QString>

// Without Q_OBJECT on purpose: Qt shows a native dialog only for subclasses
// that do not declare it.
class LocalFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  // After the dialog was accepted: the chosen path, byte-exact.
  QString ChosenPath() const;

  void accept() override;

 private:
  // Whether `path` (byte-exact) names a file that is not a folder.
  static bool IsFile(const QString& path);
  // Asks before a save replaces the file at `path`, as Qt's dialog does.
  bool AgreesToReplace(const QString& path);

  QString chosen_;
};
