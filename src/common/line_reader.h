#pragma once
// Reading a text file line by line. A line ends at a CR, and an LF right
// after the CR belongs to the line end; a lone LF also ends a line. The last
// line needs no line end. Reading past the end is a failure.

#include <cstddef>
#include <string>

#include "common/outcome.h"

namespace tally {

class LineReader {
 public:
  // Reads the whole file (it is closed again before this returns).
  // most: the bytes read at most from the start of the file.
  static Outcome<LineReader> Open(const std::string& path, std::size_t most = static_cast<std::size_t>(-1));
  explicit LineReader(std::string content);

  // The next line without its line end; FailureCode::EndOfFile past the end.
  Outcome<std::string> Next();

 private:
  std::string content_;
  std::size_t position_ = 0;
  std::string path_;
};

}  // namespace tally
