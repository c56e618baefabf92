#pragma once
// The far end of a pseudo-terminal, held by a test: the port under test
// opens the other end by its path (or by a symbolic link to it).

#include <functional>
#include <string>

namespace tally::testing {

// Runs the event loop until done() holds or the time is up; gives done().
bool WaitFor(const std::function<bool()>& done, int milliseconds);

// A QCoreApplication for the whole test program, made on first use.
void EnsureApplication();

class PtyPeer {
 public:
  // link, when not empty, is made a symbolic link to the port's end.
  explicit PtyPeer(const std::string& link = "");
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  const std::string& path() const { return path_; }
  int handle() const { return handle_; }
  void Write(const std::string& bytes);
  // Everything the port has sent so far, collected.
  const std::string& Received();
  // Waits (running the event loop) until the port has sent this many bytes.
  bool WaitForBytes(std::size_t count, int milliseconds);
  // Closes the far end: the port sees a hang-up.
  void HangUp();

 private:
  int handle_ = -1;
  std::string path_;
  std::string received_;
};

}  // namespace tally::testing
