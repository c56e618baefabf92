#include "faults/fault_run.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/path_text.h"

namespace tally::testing {

void FaultRun::Start(const std::string& obs, bool writeSupportFiles) {
  if (writeSupportFiles) WriteSupportFiles();
  SetObs(obs);
  PressPort(1);
  SyncBurst();
  for (ChannelEntry& entry : context.state.channels) {
    entry.highLimit = 0;
    entry.lowLimit = 255;
  }
  context.state.channels[3].highLimit = 20;
}

std::string FaultRun::BurstFor(int channel, int set) { return CaptureRun::BurstFor(channel, set * 10 + channel); }

std::string FaultRun::LongBurstFor(int channel, int set) {
  return std::to_string(channel) + "," + std::to_string(set * 10 + channel) + ",12345,1,7,99999,0,12000";
}

void FaultRun::Line(int channel, int set) { Burst(longBursts ? LongBurstFor(channel, set) : BurstFor(channel, set)); }

void FaultRun::Set(int number, int fromChannel) {
  for (int channel = fromChannel; channel >= 1; --channel) Line(channel, number);
}

std::string FaultRun::Files() const {
  std::string all;
  for (const std::string& name : kRunFiles) all += name + ":\n" + Read(name) + "|\n";
  return all;
}

bool FaultRun::Listed(const std::vector<std::string>& pieces) const {
  for (const std::string& entry : surface.list2) {
    bool all = true;
    for (const std::string& piece : pieces) all = all && entry.find(piece) != std::string::npos;
    if (all) return true;
  }
  return false;
}

int FaultRun::CountListed(const std::string& piece) const {
  int count = 0;
  for (const std::string& entry : surface.list2) count += entry.find(piece) != std::string::npos ? 1 : 0;
  return count;
}

namespace {

template <class Take>
std::string FromControlRun(int sets, bool longBursts, Take take) {
  FreshFaultRun run;
  run.longBursts = longBursts;
  run.Start();
  for (int set = 1; set <= sets; ++set) run.Set(set);
  return take(run);
}

}  // namespace

std::string ControlFiles(int sets, bool longBursts) {
  return FromControlRun(sets, longBursts, [](const FaultRun& run) { return run.Files(); });
}

std::string ControlFile(int sets, const std::string& name, bool longBursts) {
  return FromControlRun(sets, longBursts, [&name](const FaultRun& run) { return run.Read(name); });
}

TmpfsMount::~TmpfsMount() {
  if (directory_.empty()) return;
  // The read-only layer, if a test left it, then the file system itself.
  for (int layer = 0; layer < 2; ++layer) {
    if (::umount(directory_.c_str()) != 0 && ::umount2(directory_.c_str(), MNT_DETACH) != 0) break;
  }
}

std::string TmpfsMount::Mount(const std::string& directory, const std::string& size) {
  const std::string options = "size=" + size;
  if (::mount("tmpfs", directory.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    return "cannot mount a tmpfs on " + directory + ": " + std::strerror(errno);
  }
  directory_ = directory;
  return "";
}

// Read-only as a layer over the directory: the directory bound over itself
// and that binding made read-only. Every name looked up in it is then
// read-only, and files a program already holds open for writing (the
// scratch file and its companion), which keep a remount of the file system
// itself busy, do not stand in the way. Taking the layer off makes it
// writable again.
std::string TmpfsMount::SetReadOnly(bool readOnly) {
  const char* directory = directory_.c_str();
  if (!readOnly) {
    if (::umount(directory) != 0) return "cannot make " + directory_ + " writable: " + std::strerror(errno);
    return "";
  }
  if (::mount(directory, directory, nullptr, MS_BIND, nullptr) != 0) {
    return "cannot bind " + directory_ + ": " + std::strerror(errno);
  }
  if (::mount(nullptr, directory, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    const std::string refused = "cannot make " + directory_ + " read-only: " + std::strerror(errno);
    ::umount(directory);
    return refused;
  }
  return "";
}

std::string FillUp(const std::string& directory) {
  const std::string path = directory + kPathSeparator + "filler";
  const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (handle < 0) return path;
  const std::string block(4096, 'x');
  for (;;) {
    const ssize_t written = ::write(handle, block.data(), block.size());
    if (written > 0) continue;
    if (written < 0 && errno == EINTR) continue;
    break;
  }
  // A last partial block may still fit byte by byte.
  while (::write(handle, "x", 1) == 1) {
  }
  ::close(handle);
  return path;
}

namespace {

constexpr uid_t kUnprivilegedId = 65534;
constexpr int kCouldNotDrop = 97;

void GiveAway(const std::string& folder) {
  ::lchown(folder.c_str(), kUnprivilegedId, kUnprivilegedId);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    ::lchown(entry.path().c_str(), kUnprivilegedId, kUnprivilegedId);
  }
}

// In the child: becomes the unprivileged user, or says why not.
std::string DropPrivileges() {
  if (::geteuid() != 0) return "";
  if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0) {
    return std::string("cannot become user 65534: ") + std::strerror(errno);
  }
  return "";
}

void WriteAllTo(int handle, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(handle, text.data() + done, text.size() - done);
    if (written <= 0) return;
    done += static_cast<std::size_t>(written);
  }
}

}  // namespace

ChildRun RunUnprivileged(const std::string& folder, const std::function<std::string()>& body) {
  if (::geteuid() == 0) GiveAway(folder);
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {"", std::string("no pipe: ") + std::strerror(errno)};
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    const std::string refused = DropPrivileges();
    WriteAllTo(pipeEnds[1], refused.empty() ? body() : refused);
    ::_exit(refused.empty() ? 0 : kCouldNotDrop);
  }
  ::close(pipeEnds[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return {"", "no child process"};
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCouldNotDrop) return {"", output};
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) output += "\n[child ended with status " + std::to_string(status) + "]";
  return {output, ""};
}

FreshFaultRun::FreshFaultRun() : FaultRun(DataDirectoryIn(folder_)) {}

std::string DataDirectoryIn(const TempDir& dir) {
  const std::string directory = dir.dataPath() + kDataDirectoryName;
  std::filesystem::create_directory(directory);
  return directory;
}

}  // namespace tally::testing
