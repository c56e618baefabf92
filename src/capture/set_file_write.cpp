#include "capture/set_file_write.h"

#include <exception>
#include <new>

#include "records/data_files.h"

namespace tally {

namespace {

// The failure of a write, sure to name the file.
Failure NamingFile(const std::string& name, FailureCode code, const std::string& reason) {
  if (reason.find(name) != std::string::npos) return Failure{code, reason};
  return Failure{code, name + ": " + reason};
}

}  // namespace

Status PerformSetFileWrite(const std::string& dataPath, const SetFileWrite& write) {
  const std::string path = InFolder(dataPath, write.name);
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
  if (status.ok()) return status;
  return NamingFile(write.name, status.failure().code, status.failure().message);
}

}  // namespace tally
