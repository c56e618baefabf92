#include "window/surface/surface_settings.h"

#include <utility>

#include "common/number_text.h"
#include "link/burst_framing.h"
#include "link/port_devices.h"
#include "window/surface/control_roles.h"

namespace tally {

namespace {

constexpr int kPortButtons = 4;

}  // namespace

SurfaceSettings::SurfaceSettings(const WindowSurface& surface, std::function<std::string(int)> deviceOf)
    : surface_(surface), deviceOf_(deviceOf ? std::move(deviceOf) : DeviceForPort) {}

double SurfaceSettings::SetsWanted() const { return NumberFromText(surface_.Text(kObsWanted)); }

IntervalSetting SurfaceSettings::Interval() const { return IntervalFromText(surface_.Text(kInterval)); }

std::string SurfaceSettings::Marker() const { return surface_.Text(kMarker); }

void OnDriveChange(WindowSurface& surface) {
  const std::string drive = surface.SelectedDrive();
  if (surface.SetDirectoryPath(drive)) return;
  surface.AppendList2("Drive " + drive + " cannot be read");
  surface.SelectDrive(surface.DirectoryPath());
}

void OnDirectoryChange(WindowSurface& surface) {
  for (int button = 1; button <= kPortButtons; ++button) surface.EnablePortButton(button);
}

}  // namespace tally
