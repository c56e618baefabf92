#include "support/data_directory.h"

#include "records/data_files.h"

namespace tally {

void SelectDataDirectory(CaptureContext& context) {
  CaptureState& state = context.state;
  state.dataPath = DirectoryWithSeparator(context.settings.DataDirectory());
  context.scratch.Release();
  context.events.Tell(event::DataDirectorySelected{state.dataPath, MarkerOf(state.dataPath)});
  state.processorType = ProcessorType::fLI;
}

}  // namespace tally
