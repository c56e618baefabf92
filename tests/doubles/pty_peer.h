#pragma once
// The far end of a pseudo-terminal, held by a test or a benchmark as the
// processor's end: the port under test opens the other end by its path
// (or by a symbolic link to it).

#include <string>

namespace tally::testing {

class PtyPeer {
 public:
  // link, when not empty, is made a symbolic link to the port's end.
  // keepPortEnd: the port's end is held open as well, so that the line is
  // not hung up between the program's opens.
  explicit PtyPeer(const std::string& link = "", bool keepPortEnd = false);
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  const std::string& path() const { return path_; }
  int handle() const { return handle_; }
  // Writes all bytes, waiting up to a second at a time while the line's
  // buffer is full.
  void Write(const std::string& bytes);
  // Everything the port has sent so far, collected.
  const std::string& Received();
  // Reads and drops whatever the port has sent.
  void Drain();
  // Closes the far end: the port sees a hang-up.
  void HangUp();

 private:
  int handle_ = -1;
  int portEnd_ = -1;
  std::string path_;
  std::string received_;
};

}  // namespace tally::testing
