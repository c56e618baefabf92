#include "doubles/pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace tally::testing {

PtyPeer::PtyPeer(const std::string& link, bool keepPortEnd) {
  handle_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (handle_ < 0 || grantpt(handle_) != 0 || unlockpt(handle_) != 0) {
    std::perror("posix_openpt");
    std::abort();
  }
  path_ = ptsname(handle_);
  termios settings{};
  tcgetattr(handle_, &settings);
  cfmakeraw(&settings);
  tcsetattr(handle_, TCSANOW, &settings);
  if (!link.empty()) {
    const std::string fresh = link + ".new";
    unlink(fresh.c_str());
    if (symlink(path_.c_str(), fresh.c_str()) != 0 || rename(fresh.c_str(), link.c_str()) != 0) {
      std::perror("symlink");
      std::abort();
    }
  }
  if (keepPortEnd && (portEnd_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) < 0) {
    std::perror(path_.c_str());
    std::abort();
  }
}

PtyPeer::~PtyPeer() { HangUp(); }

void PtyPeer::Write(const std::string& bytes) {
  pollfd room{handle_, POLLOUT, 0};
  for (std::size_t sent = 0; sent < bytes.size();) {
    const ssize_t wrote = write(handle_, bytes.data() + sent, bytes.size() - sent);
    if (wrote > 0) sent += static_cast<std::size_t>(wrote);
    const bool full = wrote < 0 && (errno == EAGAIN || errno == EINTR);
    if (wrote <= 0 && !(full && poll(&room, 1, 1000) == 1)) return;
  }
}

const std::string& PtyPeer::Received() {
  char chunk[512];
  for (;;) {
    const ssize_t got = handle_ < 0 ? -1 : read(handle_, chunk, sizeof chunk);
    if (got <= 0) break;
    received_.append(chunk, static_cast<std::size_t>(got));
  }
  return received_;
}

void PtyPeer::Drain() {
  Received();
  received_.clear();
}

void PtyPeer::HangUp() {
  if (portEnd_ >= 0) close(portEnd_);
  if (handle_ >= 0) close(handle_);
  handle_ = portEnd_ = -1;
}

}  // namespace tally::testing
