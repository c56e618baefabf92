#include "window/remembered_choices.h"

namespace tally {

namespace {

QString DeviceKey(int number) { return QStringLiteral("ports/com%1").arg(number); }

QString DataDirectoryKey() { return QStringLiteral("dataDirectory"); }

}  // namespace

RememberedChoices::RememberedChoices()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tally77"),
                QStringLiteral("tally77")) {}

QString RememberedChoices::Device(int number) const {
  return settings_.value(DeviceKey(number)).toString();
}

void RememberedChoices::RememberDevice(int number, const QString& device) {
  settings_.setValue(DeviceKey(number), device);
  settings_.sync();
}

QString RememberedChoices::DataDirectory() const {
  return settings_.value(DataDirectoryKey()).toString();
}

void RememberedChoices::RememberDataDirectory(const QString& path) {
  settings_.setValue(DataDirectoryKey(), path);
  settings_.sync();
}

}  // namespace tally
