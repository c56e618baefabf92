#include "capture/set_files.h"

#include "capture/data_file_writes.h"
#include "common/positional_text.h"
#include "records/data_files.h"

namespace tally {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kCtCapCount = 320;
constexpr std::size_t kUsageCapCount = 318;
constexpr std::size_t kFerro2CapCount = 336;

}  // namespace

std::vector<SetFileWrite> SetFileWrites(const CaptureState& state) {
  using Mode = SetFileWrite::Mode;
  std::vector<SetFileWrite> writes;
  writes.push_back({kSetFileName, state.sortedRecord + kLineEnd, Mode::Append, Durability::Flushed});
  writes.push_back({kCtCaptureName, Left(state.shortLines, kCtCapCount) + kLineEnd, Mode::Replace,
                    Durability::Flushed});
  writes.push_back({kUsageCaptureName, Left(state.shortLines, kUsageCapCount) + kLineEnd, Mode::Append,
                    Durability::Flushed});
  writes.push_back({kFerro2CaptureName, Left(state.lineStamps, kFerro2CapCount) + kLineEnd, Mode::Replace,
                    Durability::Flushed});
  return writes;
}

Status WriteSetFiles(CaptureContext& context) {
  return WriteOrKeep(context, SetFileWrites(context.state));
}

}  // namespace tally
