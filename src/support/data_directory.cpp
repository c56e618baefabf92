#include "support/data_directory.h"

#include "common/control_roles.h"
#include "records/data_files.h"

namespace tally {

namespace {

constexpr int kPortButtons = 4;

}  // namespace

void SelectDataDirectory(CaptureContext& context) {
  CaptureState& state = context.state;
  state.dataPath = DirectoryWithSeparator(context.surface.DirectoryPath());
  context.scratch.Release();
  context.surface.SetText(kMarker, MarkerOf(state.dataPath));
  state.processorType = ProcessorType::fLI;
}

void OnDriveChange(CaptureContext& context) {
  WindowSurface& surface = context.surface;
  const std::string drive = surface.SelectedDrive();
  if (surface.SetDirectoryPath(drive)) return;
  // The directory list stayed where it was; the drive list goes back to the
  // drive holding that directory, so both point at a readable place again.
  surface.AppendList2("Drive " + drive + " cannot be read");
  surface.SelectDrive(surface.DirectoryPath());
}

void OnDirectoryChange(CaptureContext& context) {
  for (int button = 1; button <= kPortButtons; ++button) context.surface.EnablePortButton(button);
}

}  // namespace tally
