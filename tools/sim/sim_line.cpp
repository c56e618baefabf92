#include "sim_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tally::sim {

namespace {

std::string Fault(const std::string& what) { return what + ": " + std::strerror(errno); }

void MakeRaw(int handle) {
  termios settings{};
  if (tcgetattr(handle, &settings) != 0) return;
  cfmakeraw(&settings);
  cfsetispeed(&settings, B300);
  cfsetospeed(&settings, B300);
  settings.c_cflag |= CLOCAL | CREAD;
  tcsetattr(handle, TCSANOW, &settings);
}

void Pause(int milliseconds) { poll(nullptr, 0, milliseconds); }

}  // namespace

SimLine::~SimLine() {
  HangUp();
  RemoveLink();
}

// The link goes only while it still leads to this line's pseudo-terminal: a
// link another run has taken over since stays.
void SimLine::RemoveLink() {
  if (link_.empty()) return;
  char target[4096];
  const ssize_t length = readlink(link_.c_str(), target, sizeof target);
  if (length > 0 && std::string(target, static_cast<std::size_t>(length)) == peerPath_) unlink(link_.c_str());
  link_.clear();
}

std::string SimLine::OpenPseudoTerminal(const std::string& link) {
  HangUp();
  handle_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (handle_ < 0) return Fault("posix_openpt");
  if (grantpt(handle_) != 0 || unlockpt(handle_) != 0) return Fault("grantpt/unlockpt");
  const char* name = ptsname(handle_);
  if (name == nullptr) return Fault("ptsname");
  peerPath_ = name;
  pseudoTerminal_ = true;
  MakeRaw(handle_);
  // Opening and closing our peer once makes the master report a hang-up
  // until the capture program opens it: that is how its arrival is seen.
  const int peer = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (peer >= 0) {
    MakeRaw(peer);
    close(peer);
  }
  if (!link.empty()) {
    const std::string fresh = link + ".new";
    unlink(fresh.c_str());
    if (symlink(name, fresh.c_str()) != 0) return Fault("symlink " + fresh);
    if (rename(fresh.c_str(), link.c_str()) != 0) return Fault("rename to " + link);
    link_ = link;
  }
  return "";
}

std::string SimLine::OpenDevice(const std::string& device) {
  HangUp();
  handle_ = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (handle_ < 0) return Fault(device);
  peerPath_ = device;
  pseudoTerminal_ = false;
  MakeRaw(handle_);
  return "";
}

bool SimLine::PeerAway() const {
  if (!pseudoTerminal_ || handle_ < 0) return false;
  pollfd watch{handle_, 0, 0};
  return poll(&watch, 1, 0) == 1 && (watch.revents & POLLHUP) != 0;
}

bool SimLine::Write(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t wrote = write(handle_, bytes.data() + sent, bytes.size() - sent);
    if (wrote > 0) {
      sent += static_cast<std::size_t>(wrote);
    } else if (wrote < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd room{handle_, POLLOUT, 0};
      poll(&room, 1, 100);
    } else {
      return false;
    }
  }
  return true;
}

std::string SimLine::Read(int milliseconds) {
  if (handle_ < 0) {
    Pause(milliseconds);
    return "";
  }
  pollfd watch{handle_, POLLIN, 0};
  if (poll(&watch, 1, milliseconds) <= 0) return "";
  std::string bytes;
  char chunk[256];
  for (;;) {
    const ssize_t got = read(handle_, chunk, sizeof chunk);
    if (got <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  // A master whose peer is closed reports a hang-up at once: do not spin.
  if (bytes.empty() && (watch.revents & (POLLHUP | POLLERR)) != 0) Pause(milliseconds < 20 ? milliseconds : 20);
  return bytes;
}

void SimLine::HangUp() {
  if (handle_ >= 0) close(handle_);
  handle_ = -1;
}

}  // namespace tally::sim
