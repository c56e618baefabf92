#pragma once
// The run settings of tally77-capture, from its options: the sets wanted
// (none: until stopped; for --init none at all) counting down as the run
// tells them, the interval, the data directory, and the device --port
// names for the chosen port.

#include "capture/run_settings.h"
#include "service/service_options.h"

namespace tally {

class ServiceSettingsSource : public RunSettings {
 public:
  explicit ServiceSettingsSource(const ServiceSettings& settings);

  // The sets still wanted, as the run tells them after each set and at its end.
  void CountDown(double stillWanted) { setsWanted_ = stillWanted; }

  double SetsWanted() const override { return setsWanted_; }
  IntervalSetting Interval() const override;
  std::string DataDirectory() const override { return settings_.dataDirectory; }
  // The marker the data directory's name gives, as the window shows it.
  std::string Marker() const override;
  std::string DeviceOfPort(int number) const override;

 private:
  const ServiceSettings& settings_;
  double setsWanted_;
};

}  // namespace tally
