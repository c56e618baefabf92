#include "service/service_settings_source.h"

#include <limits>

#include "common/number_text.h"
#include "link/burst_framing.h"
#include "link/port_devices.h"
#include "support/data_directory.h"

namespace tally {

namespace {

double SetsWantedAtStart(const ServiceSettings& settings) {
  if (settings.init) return 0;
  if (!settings.sets) return std::numeric_limits<double>::infinity();
  return NumberFromText(*settings.sets);
}

}  // namespace

ServiceSettingsSource::ServiceSettingsSource(const ServiceSettings& settings)
    : settings_(settings), setsWanted_(SetsWantedAtStart(settings)) {}

IntervalSetting ServiceSettingsSource::Interval() const { return IntervalFromText(settings_.interval); }

std::string ServiceSettingsSource::Marker() const {
  return MarkerOf(DirectoryWithSeparator(settings_.dataDirectory));
}

std::string ServiceSettingsSource::DeviceOfPort(int number) const {
  if (number == settings_.portNumber && !settings_.device.empty()) return settings_.device;
  return DeviceForPort(number);
}

}  // namespace tally
