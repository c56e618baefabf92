#include "capture/set_file_write.h"

#include <algorithm>
#include <exception>
#include <new>

#include "capture/append_note.h"
#include "records/data_files.h"

namespace tally {

namespace {

// The failure of a write, sure to name the file.
Failure NamingFile(const std::string& name, FailureCode code, const std::string& reason) {
  if (reason.find(name) != std::string::npos) return Failure{code, reason};
  return Failure{code, name + ": " + reason};
}

bool SeveralLinesFlushed(const SetFileWrite& write) {
  return write.mode == SetFileWrite::Mode::Append && write.durability == Durability::Flushed &&
         std::count(write.bytes.begin(), write.bytes.end(), '\n') > 1;
}

Status Perform(const std::string& path, const SetFileWrite& write, const std::string& noteFolder) {
  if (write.mode == SetFileWrite::Mode::Replace) return ReplaceFile(path, write.bytes, write.durability);
  if (!noteFolder.empty() && SeveralLinesFlushed(write)) return AppendNoted(noteFolder, path, write.bytes);
  return AppendToFile(path, write.bytes, write.durability);
}

}  // namespace

Status PerformSetFileWrite(const std::string& dataPath, const SetFileWrite& write, const std::string& noteFolder) {
  const std::string path = InFolder(dataPath, write.name);
  Status status;
  try {
    status = Perform(path, write, noteFolder);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    status = Fail(FailureCode::FileWrite, error.what());
  }
  if (status.ok()) return status;
  return NamingFile(write.name, status.failure().code, status.failure().message);
}

}  // namespace tally
