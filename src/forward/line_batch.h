#pragma once
// The file is the queue: whole lines (ended by CR LF) are read from a
// position, as many as wait up to a limit, and nothing more is kept. A last
// line without its CR LF is still being written and waits.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "forward/file_position.h"

namespace tally::forward {

struct WholeLine {
  std::uint64_t offset;  // where the line begins in the file
  std::string text;      // without its CR LF
};

struct LineBatch {
  std::vector<WholeLine> lines;
  FilePosition end;  // just past the last line's CR LF
};

struct BatchLimits {
  std::size_t lines = 2000;
  std::size_t bytes = 4u << 20;
};

// The whole lines from position on, at most limits. A missing file gives
// no lines.
Outcome<LineBatch> ReadLineBatch(const std::string& path, const FilePosition& from, const BatchLimits& limits);

}  // namespace tally::forward
