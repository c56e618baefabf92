#include "faults/crash_points/file_system_log.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <algorithm>

namespace tally::testing {

namespace {

namespace fs = std::filesystem;

struct Recording {
  bool on = false;
  std::string folder;
  std::map<int, std::string> opened;  // descriptors opened under the folder, by the name they were opened by
  std::string failFlushOf;            // the file whose next flush fails
};

Recording& Now() {
  static Recording recording;
  return recording;
}

template <class Function>
Function* Real(const char* name) {
  return reinterpret_cast<Function*>(::dlsym(RTLD_NEXT, name));
}

bool Under(const char* path) {
  const Recording& now = Now();
  if (!now.on || path == nullptr) return false;
  const std::string text(path);
  return text.size() > now.folder.size() && text.compare(0, now.folder.size(), now.folder) == 0 &&
         text[now.folder.size()] == '/';
}

const std::string* Tracked(int descriptor) {
  const Recording& now = Now();
  if (!now.on) return nullptr;
  const auto found = now.opened.find(descriptor);
  return found == now.opened.end() ? nullptr : &found->second;
}

// Whether this flush is the one to fail; it fails once.
bool FlushFails(int descriptor) {
  const std::string* path = Tracked(descriptor);
  if (path == nullptr || Now().failFlushOf.empty() || *path != Now().failFlushOf) return false;
  Now().failFlushOf.clear();
  errno = EIO;
  return true;
}

}  // namespace

struct LogAccess {
  static void Add(FileOperation operation) { TheFileSystemLog().operations_.push_back(std::move(operation)); }
  static FolderState& Initial() { return TheFileSystemLog().initial_; }
  static std::map<std::string, unsigned long>& Inodes() { return TheFileSystemLog().initialInodes_; }
};

namespace {

// The whole file a descriptor is open on, read through a descriptor of its own.
std::string ContentOf(int descriptor) {
  char name[64];
  std::snprintf(name, sizeof name, "/proc/self/fd/%d", descriptor);
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

unsigned long InodeOf(int descriptor) {
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 ? static_cast<unsigned long>(status.st_ino) : 0;
}

void TakeContent(int descriptor, const std::string& path, const std::string& how) {
  LogAccess::Add({FileOperation::Kind::Content, path, how, InodeOf(descriptor), ContentOf(descriptor)});
}

void TakeFlush(int descriptor, const std::string& path) {
  struct stat status {};
  if (::fstat(descriptor, &status) != 0) return;
  if (S_ISDIR(status.st_mode)) {
    LogAccess::Add({FileOperation::Kind::FlushFolder, path, "", 0, ""});
  } else {
    LogAccess::Add({FileOperation::Kind::Flush, path, "", static_cast<unsigned long>(status.st_ino), ""});
  }
}

}  // namespace

FileSystemLog& TheFileSystemLog() {
  static FileSystemLog log;
  return log;
}

void FileSystemLog::Start(const std::string& folder) {
  operations_.clear();
  initial_.clear();
  initialInodes_.clear();
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    const std::string path = entry.path().string();
    std::ifstream in(path, std::ios::binary);
    initial_[path] = std::string(std::istreambuf_iterator<char>(in), {});
    struct stat status {};
    ::stat(path.c_str(), &status);
    initialInodes_[path] = static_cast<unsigned long>(status.st_ino);
  }
  Now().folder = folder;
  Now().opened.clear();
  Now().on = true;
}

void FileSystemLog::Stop() {
  Now().on = false;
  Now().failFlushOf.clear();
}

void FileSystemLog::FailNextFlushOf(const std::string& path) { Now().failFlushOf = path; }

void FileSystemLog::Mark(const std::string& what) {
  operations_.push_back({FileOperation::Kind::Mark, "", what, 0, ""});
}

namespace {

// The names and contents as written, and as on the device.
struct Device {
  std::map<std::string, unsigned long> names;
  std::map<std::string, unsigned long> flushedNames;
  std::map<unsigned long, std::string> content;
  std::map<unsigned long, std::string> flushed;

  static bool Within(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
  }

  void Move(const std::string& from, const std::string& to) {
    std::map<std::string, unsigned long> moved;
    for (auto it = names.begin(); it != names.end();) {
      if (it->first == from || Within(it->first, from)) {
        moved[to + it->first.substr(from.size())] = it->second;
        it = names.erase(it);
      } else {
        ++it;
      }
    }
    for (auto& [path, inode] : moved) names[path] = inode;
  }

  void Apply(const FileOperation& operation) {
    using Kind = FileOperation::Kind;
    switch (operation.kind) {
      case Kind::Content:
        if (operation.other == "open" && names.count(operation.path) == 0) names[operation.path] = operation.inode;
        content[operation.inode] = operation.content;
        flushed.try_emplace(operation.inode);
        break;
      case Kind::Flush:
        flushed[operation.inode] = content[operation.inode];
        break;
      case Kind::FlushFolder: {
        const auto inFolder = [&operation](const std::string& path) {
          return fs::path(path).parent_path().string() == operation.path;
        };
        std::erase_if(flushedNames, [&](const auto& entry) { return inFolder(entry.first); });
        for (const auto& [path, inode] : names) {
          if (inFolder(path)) flushedNames[path] = inode;
        }
        break;
      }
      case Kind::Rename:
        Move(operation.path, operation.other);
        break;
      case Kind::Exchange: {
        const auto first = names.find(operation.path);
        const auto second = names.find(operation.other);
        if (first != names.end() && second != names.end()) std::swap(first->second, second->second);
        break;
      }
      case Kind::Remove:
        std::erase_if(names, [&](const auto& entry) {
          return entry.first == operation.path || Within(entry.first, operation.path);
        });
        break;
      case Kind::Mark:
        break;
    }
  }

  template <class Take>
  static FolderState Of(const std::map<std::string, unsigned long>& which, Take take) {
    FolderState state;
    for (const auto& [path, inode] : which) state[path] = take(inode);
    return state;
  }
};

// The written content with its unflushed tail cut in half, where the
// flushed content is its start; the written content otherwise.
std::string TornTail(const std::string& written, const std::string& flushed) {
  if (written.size() <= flushed.size() || written.compare(0, flushed.size(), flushed) != 0) return written;
  return written.substr(0, flushed.size() + (written.size() - flushed.size()) / 2);
}

}  // namespace

std::vector<FolderState> FileSystemLog::CrashStates(std::size_t count) const {
  Device device;
  for (const auto& [path, content] : initial_) {
    const unsigned long inode = initialInodes_.at(path);
    device.names[path] = device.flushedNames[path] = inode;
    device.content[inode] = device.flushed[inode] = content;
  }
  for (std::size_t index = 0; index < count && index < operations_.size(); ++index) device.Apply(operations_[index]);

  const auto written = [&device](unsigned long inode) { return device.content[inode]; };
  const auto flushed = [&device](unsigned long inode) { return device.flushed[inode]; };
  const auto torn = [&device](unsigned long inode) { return TornTail(device.content[inode], device.flushed[inode]); };
  std::vector<FolderState> states{Device::Of(device.flushedNames, flushed), Device::Of(device.names, written),
                                  Device::Of(device.names, torn), Device::Of(device.flushedNames, written)};
  std::vector<FolderState> distinct;
  for (FolderState& state : states) {
    if (std::find(distinct.begin(), distinct.end(), state) == distinct.end()) distinct.push_back(std::move(state));
  }
  return distinct;
}

void Materialise(const FolderState& state, const std::string& from, const std::string& into) {
  for (const auto& [path, content] : state) {
    const fs::path target = into + path.substr(from.size());
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << content;
  }
}

}  // namespace tally::testing

// The C library's calls, taken down when they act under the folder, then
// passed on.
using tally::testing::FileOperation;
using tally::testing::LogAccess;

extern "C" {

int open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
  }
  static auto* real = tally::testing::Real<int(const char*, int, ...)>("open");
  const int descriptor = real(path, flags, mode);
  if (descriptor >= 0 && tally::testing::Under(path)) {
    tally::testing::Now().opened[descriptor] = path;
    if ((flags & (O_CREAT | O_TRUNC)) != 0) tally::testing::TakeContent(descriptor, path, "open");
  }
  return descriptor;
}

int close(int descriptor) {
  static auto* real = tally::testing::Real<int(int)>("close");
  tally::testing::Now().opened.erase(descriptor);
  return real(descriptor);
}

ssize_t write(int descriptor, const void* bytes, size_t count) {
  static auto* real = tally::testing::Real<ssize_t(int, const void*, size_t)>("write");
  const ssize_t written = real(descriptor, bytes, count);
  if (const std::string* path = tally::testing::Tracked(descriptor); path != nullptr && written > 0) {
    tally::testing::TakeContent(descriptor, *path, "write");
  }
  return written;
}

ssize_t pwrite(int descriptor, const void* bytes, size_t count, off_t offset) {
  static auto* real = tally::testing::Real<ssize_t(int, const void*, size_t, off_t)>("pwrite");
  const ssize_t written = real(descriptor, bytes, count, offset);
  if (const std::string* path = tally::testing::Tracked(descriptor); path != nullptr && written > 0) {
    tally::testing::TakeContent(descriptor, *path, "write");
  }
  return written;
}

int ftruncate(int descriptor, off_t size) noexcept {
  static auto* real = tally::testing::Real<int(int, off_t)>("ftruncate");
  const int result = real(descriptor, size);
  if (const std::string* path = tally::testing::Tracked(descriptor); path != nullptr && result == 0) {
    tally::testing::TakeContent(descriptor, *path, "write");
  }
  return result;
}

namespace {
// fsync and fdatasync alike: a flush the test asked to fail fails, and one
// that succeeds on a tracked file is logged.
int LoggedFlush(int descriptor, int (*real)(int)) {
  if (tally::testing::FlushFails(descriptor)) return -1;
  const int result = real(descriptor);
  if (const std::string* path = tally::testing::Tracked(descriptor); path != nullptr && result == 0) {
    tally::testing::TakeFlush(descriptor, *path);
  }
  return result;
}
}  // namespace

int fsync(int descriptor) {
  static auto* real = tally::testing::Real<int(int)>("fsync");
  return LoggedFlush(descriptor, real);
}

int fdatasync(int descriptor) {
  static auto* real = tally::testing::Real<int(int)>("fdatasync");
  return LoggedFlush(descriptor, real);
}

int rename(const char* from, const char* to) noexcept {
  static auto* real = tally::testing::Real<int(const char*, const char*)>("rename");
  const int result = real(from, to);
  if (result == 0 && tally::testing::Under(from)) LogAccess::Add({FileOperation::Kind::Rename, from, to, 0, ""});
  return result;
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) noexcept {
  static auto* real = tally::testing::Real<int(int, const char*, int, const char*, unsigned int)>("renameat2");
  const int result = real(fromFolder, from, toFolder, to, flags);
  if (result == 0 && tally::testing::Under(from)) {
    const auto kind = (flags & RENAME_EXCHANGE) != 0 ? FileOperation::Kind::Exchange : FileOperation::Kind::Rename;
    LogAccess::Add({kind, from, to, 0, ""});
  }
  return result;
}

int unlink(const char* path) noexcept {
  static auto* real = tally::testing::Real<int(const char*)>("unlink");
  const int result = real(path);
  if (result == 0 && tally::testing::Under(path)) LogAccess::Add({FileOperation::Kind::Remove, path, "", 0, ""});
  return result;
}

int remove(const char* path) noexcept {
  static auto* real = tally::testing::Real<int(const char*)>("remove");
  const int result = real(path);
  if (result == 0 && tally::testing::Under(path)) LogAccess::Add({FileOperation::Kind::Remove, path, "", 0, ""});
  return result;
}

}  // extern "C"
