#include "records/data_directory_check.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "common/exit_status.h"

namespace tally {

std::optional<StartFault> CheckDataDirectory(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return StartFault{kExitNoInput, "data directory " + path + " does not exist"};
    }
    return StartFault{kExitIoError, "data directory " + path + " cannot be read: " + std::strerror(errno)};
  }
  if (!S_ISDIR(info.st_mode)) {
    return StartFault{kExitNoInput, "data directory " + path + " is not a directory"};
  }
  DIR* listing = opendir(path.c_str());
  if (listing == nullptr) {
    return StartFault{kExitIoError, "data directory " + path + " cannot be read: " + std::strerror(errno)};
  }
  closedir(listing);
  return std::nullopt;
}

}  // namespace tally
