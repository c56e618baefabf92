#include "common/stop_signals.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tally {

StopSignals::StopSignals() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGHUP);
  sigprocmask(SIG_BLOCK, &stops, &previous_);
  fd_.Reset(signalfd(-1, &stops, SFD_NONBLOCK | SFD_CLOEXEC));
}

StopSignals::~StopSignals() {
  fd_.Reset();
  sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

int StopSignals::Pending() {
  if (received_ != 0 || !fd_.open()) return received_;
  signalfd_siginfo info{};
  if (::read(fd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    received_ = static_cast<int>(info.ssi_signo);
  }
  return received_;
}

int StopSignals::WaitFor(int milliseconds) {
  if (Pending() != 0 || !fd_.open()) return received_;
  pollfd watch{fd_.get(), POLLIN, 0};
  ::poll(&watch, 1, milliseconds);
  return Pending();
}

}  // namespace tally
