#pragma once
// A pseudo-terminal held by a benchmark as the processor's end: the program
// under test opens the other end by its path.

#include <string>

namespace tally::bench {

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // The path of the port's end (/dev/pts/N).
  const std::string& portPath() const { return portPath_; }
  // Writes all bytes to the processor's end; throws when it cannot.
  void Write(const std::string& bytes);
  // Reads and discards whatever the program has sent, without waiting.
  void Drain();

 private:
  int master_ = -1;
  int keeper_ = -1;  // the port's end held open, so the line is not hung up between opens
  std::string portPath_;
};

}  // namespace tally::bench
