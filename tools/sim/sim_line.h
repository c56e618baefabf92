#pragma once
// The simulator's end of the serial line: the master of a new
// pseudo-terminal (whose other end the capture program opens) or a device.

#include <string>

namespace tally::sim {

class SimLine {
 public:
  SimLine() = default;
  ~SimLine();
  SimLine(const SimLine&) = delete;
  SimLine& operator=(const SimLine&) = delete;

  // A new pseudo-terminal in raw mode; link, when not empty, is made a
  // symbolic link to its other end, removed with the line (a reopened
  // line moves it). Gives "" on success or the fault.
  std::string OpenPseudoTerminal(const std::string& link);
  // An existing device at 300 baud, 8 data bits, no parity, raw.
  std::string OpenDevice(const std::string& device);

  // The path the capture program opens.
  const std::string& PeerPath() const { return peerPath_; }
  // This end's handle; a pseudo-terminal's gives the line settings the
  // capture program set.
  int Handle() const { return handle_; }

  // True when the other end of the pseudo-terminal is not open.
  bool PeerAway() const;

  // Writes all bytes; false on a failure.
  bool Write(const std::string& bytes);
  // Waits at most milliseconds for received bytes and gives them ("" when
  // none came).
  std::string Read(int milliseconds);

  // Closes the line, so that the other end sees a hang-up.
  void HangUp();

 private:
  int handle_ = -1;
  bool pseudoTerminal_ = false;
  std::string peerPath_;
  std::string link_;  // the symbolic link made to peerPath_, "" when none

  void RemoveLink();
};

}  // namespace tally::sim
