#include "support/support_file.h"

#include "common/file_io.h"
#include "records/data_files.h"

namespace tally {

std::string SupportFilePath(const CaptureState& state, const std::string& name) {
  return InFolder(state.dataPath, name);
}

void ShowReadProblem(CaptureContext& context, const std::string& name) {
  context.events.Tell(event::SupportFileUnreadable{name});
}

bool WriteSupportFile(CaptureContext& context, const std::string& name,
                      const std::string& content) {
  // The new content replaces the old file in one step, so a failed write
  // never leaves a half-written support file behind.
  const Status written =
      ReplaceFile(SupportFilePath(context.state, name), content, Durability::Flushed);
  if (!written.ok()) {
    context.events.Tell(event::SupportFileRefused{name, written.failure().message});
    return false;
  }
  context.events.Tell(event::SupportFileWritten{name});
  return true;
}

}  // namespace tally
