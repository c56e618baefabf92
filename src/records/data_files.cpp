#include "records/data_files.h"

#include "common/path_text.h"
#include "common/positional_text.h"

namespace tally {

std::string DirectoryWithSeparator(const std::string& path) {
  if (!path.empty() && path.back() == kPathSeparator) return path;
  return path + kPathSeparator;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return (folder.empty() ? folder : DirectoryWithSeparator(folder)) + name;
}

std::string MarkerOf(const std::string& dataPath) { return Left(Right(dataPath, 5), 4); }

}  // namespace tally
