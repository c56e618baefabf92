#include "capture/journal_folder.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace tally {

namespace {

namespace fs = std::filesystem;

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::vector<fs::path> Candidates() {
  std::vector<fs::path> candidates;
  // A relative state folder is to be ignored, as the XDG rules say.
  const fs::path state = FromEnvironment("XDG_STATE_HOME");
  if (state.is_absolute()) candidates.push_back(state / "tally77");
  const fs::path home = FromEnvironment("HOME");
  if (home.is_absolute()) candidates.push_back(home / ".local" / "state" / "tally77");
  std::error_code error;
  const fs::path temporary = fs::temp_directory_path(error);
#ifdef _WIN32
  if (!error) candidates.push_back(temporary / "tally77");
#else
  if (!error) candidates.push_back(temporary / ("tally77-" + std::to_string(::geteuid())));
#endif
  return candidates;
}

// Whether folder is a real folder of the program's user (not a link, not
// someone else's, as a shared temporary folder may hold).
bool IsOwnFolder(const fs::path& folder) {
#ifdef _WIN32
  std::error_code error;
  return fs::is_directory(fs::symlink_status(folder, error));
#else
  struct stat status {};
  return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
         ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

}  // namespace

std::string JournalFolder() {
  for (const fs::path& folder : Candidates()) {
    std::error_code error;
    if (fs::create_directories(folder, error)) {
      fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    }
    if (IsOwnFolder(folder)) return folder.string();
  }
  return "";
}

}  // namespace tally
