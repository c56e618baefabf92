#pragma once
// SIGTERM, SIGINT and SIGHUP as readable events of the program's one event
// loop: the signals are blocked and delivered through a signalfd, so no
// handler runs between two statements and no global flag is needed. The
// program polls fd() with its other descriptors and asks Pending() when it
// may stop (between batches, in a wait).

#include <csignal>

#include "common/file_handle.h"

namespace tally {

class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  int fd() const { return fd_.get(); }
  // The signal that asked the program to stop, 0 while none came. Once one
  // came it stays.
  [[nodiscard]] int Pending();
  // Waits up to milliseconds for a stop signal; the signal or 0.
  [[nodiscard]] int WaitFor(int milliseconds);

 private:
  FileHandle fd_;
  int received_ = 0;
  sigset_t previous_{};
};

}  // namespace tally
