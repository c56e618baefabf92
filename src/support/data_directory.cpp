#include "support/data_directory.h"

#include "common/control_roles.h"
#include "common/path_text.h"
#include "common/positional_text.h"

namespace tally {

namespace {

constexpr int kPortButtons = 4;

}  // namespace

// The directory list's path with the separator at its end; a root already
// has it.
std::string DirectoryWithSeparator(const std::string& path) {
  if (!path.empty() && path.back() == kPathSeparator) return path;
  return path + kPathSeparator;
}

// The first four of the last five characters: for a directory name of four
// or more characters, its last four.
std::string MarkerOf(const std::string& dataPath) {
  return Left(Right(dataPath, 5), 4);
}

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
