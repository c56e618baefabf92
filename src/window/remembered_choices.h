#pragma once
// What tally77 keeps from one run to the next (QSettings, in the user's
// configuration folder): the device chosen for each port button from its
// menu, and the data directory last chosen.

#include <QSettings>
#include <QString>

namespace tally {

class RememberedChoices {
 public:
  RememberedChoices();

  QString Device(int number) const;  // empty: none chosen
  void RememberDevice(int number, const QString& device);
  QString DataDirectory() const;     // empty: none chosen yet
  void RememberDataDirectory(const QString& path);

 private:
  QSettings settings_;
};

}  // namespace tally
