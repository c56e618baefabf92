#include "capture/set_files.h"

#include <exception>
#include <new>

#include "common/positional_text.h"

namespace tally {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kCtCapCount = 320;
constexpr std::size_t kUsageCapCount = 318;
constexpr std::size_t kFerro2CapCount = 336;

// The failure of a write, sure to name the file.
Failure NamingFile(const std::string& name, FailureCode code, const std::string& reason) {
  if (reason.find(name) != std::string::npos) return Failure{code, reason};
  return Failure{code, name + ": " + reason};
}

}  // namespace

std::vector<SetFileWrite> SetFileWrites(const CaptureState& state) {
  using Mode = SetFileWrite::Mode;
  std::vector<SetFileWrite> writes;
  writes.push_back({"fl.db1", state.sortedRecord + kLineEnd, Mode::Append, Durability::Flushed});
  writes.push_back({"ct.cap", Left(state.shortLines, kCtCapCount) + kLineEnd, Mode::Replace,
                    Durability::Plain});
  writes.push_back({"usage.cap", Left(state.shortLines, kUsageCapCount) + kLineEnd, Mode::Append,
                    Durability::Flushed});
  writes.push_back({"ferro2.cap", Left(state.lineStamps, kFerro2CapCount) + kLineEnd, Mode::Replace,
                    Durability::Plain});
  return writes;
}

Status PerformSetFileWrite(const std::string& dataPath, const SetFileWrite& write) {
  const std::string path = dataPath + write.name;
  Status status;
  try {
    status = write.mode == SetFileWrite::Mode::Append
                 ? AppendToFile(path, write.bytes, write.durability)
                 : ReplaceFile(path, write.bytes, write.durability);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    status = Fail(FailureCode::FileWrite, error.what());
  }
  if (!status) return Ok();
  return NamingFile(write.name, status->code, status->message);
}

Status WriteSetFiles(CaptureContext& context) {
  Status first;
  for (const SetFileWrite& write : SetFileWrites(context.state)) {
    Status status = PerformSetFileWrite(context.state.dataPath, write);
    if (status && !first) first = std::move(status);
  }
  return first;
}

}  // namespace tally
