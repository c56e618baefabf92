#pragma once
// The run settings as the window's boxes hold them when they are read: Obs #
// for the sets wanted, Interval, the marker box, the directory list; the
// device of a port as the window chose it.

#include <functional>
#include <string>

#include "capture/run_settings.h"
#include "window/surface/window_surface.h"

namespace tally {

class SurfaceSettings : public RunSettings {
 public:
  // deviceOf: the device of a port number (DeviceForPort when none given).
  explicit SurfaceSettings(const WindowSurface& surface,
                           std::function<std::string(int)> deviceOf = nullptr);

  double SetsWanted() const override;
  IntervalSetting Interval() const override;
  std::string DataDirectory() const override { return surface_.DirectoryPath(); }
  std::string Marker() const override;
  std::string DeviceOfPort(int number) const override { return deviceOf_(number); }

 private:
  const WindowSurface& surface_;
  std::function<std::string(int)> deviceOf_;
};

// Drive1 change: the directory list follows the chosen drive. A drive that
// cannot be read is named in List2, the directory list stays where it was
// and the drive list is handed that directory's path, so that it selects
// the drive holding it again.
void OnDriveChange(WindowSurface& surface);

// Dir1 change: enables Command1 to Command4.
void OnDirectoryChange(WindowSurface& surface);

}  // namespace tally
