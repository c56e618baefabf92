#pragma once
// The far end of a pseudo-terminal, held by a test or a benchmark as the
// processor's end: the port under test opens the other end by its path
// (or by a symbolic link to it). It is the simulator's own line end.

#include <string>

#include "sim_line.h"

namespace tally::testing {

class PtyPeer {
 public:
  // link, when not empty, is made a symbolic link to the port's end.
  // keepPortEnd: the port's end is held open as well, so that the line is
  // not hung up between the program's opens.
  explicit PtyPeer(const std::string& link = "", bool keepPortEnd = false);
  ~PtyPeer() { HangUp(); }
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  const std::string& path() const { return line_.PeerPath(); }
  int handle() const { return line_.Handle(); }
  // Writes all bytes, waiting while the line's buffer is full.
  void Write(const std::string& bytes) { line_.Write(bytes); }
  // Everything the port has sent so far, collected.
  const std::string& Received() { return received_ += line_.Read(0); }
  // Reads and drops whatever the port has sent.
  void Drain() {
    line_.Read(0);
    received_.clear();
  }
  // Closes the far end: the port sees a hang-up.
  void HangUp();

 private:
  sim::SimLine line_;
  int portEnd_ = -1;
  std::string received_;
};

}  // namespace tally::testing
