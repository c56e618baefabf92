#include "capture/set_files.h"

#include "capture/data_file_writes.h"
#include "common/positional_text.h"

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
  writes.push_back({"fl.db1", state.sortedRecord + kLineEnd, Mode::Append, Durability::Flushed});
  writes.push_back({"ct.cap", Left(state.shortLines, kCtCapCount) + kLineEnd, Mode::Replace,
                    Durability::Flushed});
  writes.push_back({"usage.cap", Left(state.shortLines, kUsageCapCount) + kLineEnd, Mode::Append,
                    Durability::Flushed});
  writes.push_back({"ferro2.cap", Left(state.lineStamps, kFerro2CapCount) + kLineEnd, Mode::Replace,
                    Durability::Flushed});
  return writes;
}

Status WriteSetFiles(CaptureContext& context) {
  return WriteOrKeep(context, SetFileWrites(context.state));
}

}  // namespace tally
