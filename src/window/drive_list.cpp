#include "window/drive_list.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace tally {

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady()) AddDrive(volume.rootPath());
  }
  AddDrive(QDir::homePath());
  SelectDrive(DriveOf(QDir::currentPath()));
  connect(this, &QComboBox::currentIndexChanged, this, [this] { emit driveChanged(); });
}

void DriveList::AddDrive(const QString& root) {
  const QString clean = QDir::cleanPath(root);
  if (!clean.isEmpty() && findText(clean) < 0) addItem(clean);
}

void DriveList::SelectDrive(const QString& driveOrPath) {
  int index = findText(QDir::cleanPath(driveOrPath));
  if (index < 0) index = findText(DriveOf(driveOrPath));
  if (index < 0) return;
  const QSignalBlocker quiet(this);
  setCurrentIndex(index);
}

QString DriveList::DriveOf(const QString& path) const {
  const QString clean = QDir::cleanPath(path);
  QString best;
  for (int i = 0; i < count(); ++i) {
    const QString root = itemText(i);
    const bool holds = clean == root || root == QStringLiteral("/") ||
                       clean.startsWith(root + QLatin1Char('/'));
    if (holds && root.size() > best.size()) best = root;
  }
  return best;
}

}  // namespace tally
