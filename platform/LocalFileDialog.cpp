#include "platform/LocalFileDialog.h"

#include <sys/stat.h>

#include <QMessageBox>
#include <QStringList>

#include "platform/LocalPath.h"

QString LocalFileDialog::ChosenPath() const {
  if (!chosen_.isEmpty()) return chosen_;
  const QStringList files = selectedFiles();
  return files.isEmpty() ? QString() : ResolveShownPath(files.first());
}

void LocalFileDialog::accept() {
  chosen_.clear();
  const QStringList files = selectedFiles();
  // Only Qt's own dialog has a layout; a native one has already checked the
  // file it showed.
  if (layout() != nullptr && files.size() == 1) {
    const QString path = ResolveShownPath(files.first());
    if (path != files.first() && IsFile(path)) {
      if (acceptMode() == AcceptSave && !testOption(DontConfirmOverwrite) && !AgreesToReplace(path)) {
        return;  // the dialog stays open, as Qt's own does on No
      }
      chosen_ = path;
      QDialog::accept();
      return;
    }
  }
  // Anything else as Qt does it: a missing file reported, a new name taken.
  QFileDialog::accept();
}

bool LocalFileDialog::IsFile(const QString& path) {
  struct stat status;
  return ::stat(EncodeLocalPath(path).constData(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool LocalFileDialog::AgreesToReplace(const QString& path) {
  // The question Qt's dialog asks before it replaces a file, in its words.
  const QString name = DisplayLocalPath(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
  return QMessageBox::warning(this, windowTitle(),
                              QFileDialog::tr("%1 already exists.\nDo you want to replace it?").arg(name),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}
