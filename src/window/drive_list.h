#pragma once
// Drive1: the drives this computer offers a data directory on, that is its
// mounted volumes and the operator's home folder. Choosing another one in
// the list raises driveChanged; selecting one from the program does not.

#include <QComboBox>
#include <QString>

namespace tally {

class DriveList : public QComboBox {
  Q_OBJECT

 public:
  explicit DriveList(QWidget* parent = nullptr);

  QString Drive() const { return currentText(); }
  // Selects the drive, or the listed drive that holds the path given;
  // raises no change.
  void SelectDrive(const QString& driveOrPath);
  // The listed drive that holds path (the longest matching root).
  QString DriveOf(const QString& path) const;

 signals:
  void driveChanged();

 private:
  void AddDrive(const QString& root);
};

}  // namespace tally
