#include "rig/pty_pair.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tally::bench {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("pseudo-terminal: cannot " + what + ": " + std::strerror(errno));
}

}  // namespace

PtyPair::PtyPair() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0) Fail("open");
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) Fail("unlock");
  const char* name = ::ptsname(master_);
  if (name == nullptr) Fail("name");
  portPath_ = name;
  keeper_ = ::open(portPath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (keeper_ < 0) Fail("open " + portPath_);
}

PtyPair::~PtyPair() {
  if (keeper_ >= 0) ::close(keeper_);
  if (master_ >= 0) ::close(master_);
}

void PtyPair::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (written < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      Fail("write");
    }
    done += static_cast<std::size_t>(written);
  }
}

void PtyPair::Drain() {
  char buffer[4096];
  while (::read(master_, buffer, sizeof buffer) > 0) {
  }
}

}  // namespace tally::bench
