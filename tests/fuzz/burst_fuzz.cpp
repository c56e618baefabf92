// Feeds arbitrary bytes as processor bursts through framing, decoding, set
// assembly, record building and the set files, against a temporary data
// directory, and checks that the database lines keep their format.
//
// The input is split into bursts at every 0xFF byte (a byte the processor
// never sends), so one input exercises whole observation sets.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "doubles/capture_run.h"

namespace {

using namespace tally;
using namespace tally::testing;

// A database line: a 4-character marker, 14 digits of date and time, then
// the slots, with no line-end character anywhere inside.
bool IsWholeDatabaseLine(const std::string& line) {
  if (line.size() < 18) return false;
  for (std::size_t i = 4; i < 18; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
  }
  for (std::size_t i = 18; i < line.size(); ++i) {
    const char c = line[i];
    const bool allowed = (c >= '0' && c <= '9') || c == ',' || c == '.' || c == ' ';
    if (!allowed) return false;
  }
  return true;
}

void CheckDatabase(const TempDir& dir) {
  const std::string database = dir.Read("fl.db1");
  std::size_t start = 0;
  while (start < database.size()) {
    const std::size_t end = database.find("\r\n", start);
    if (end == std::string::npos) {
      std::fprintf(stderr, "fl.db1 ends in a half line\n");
      std::abort();
    }
    if (!IsWholeDatabaseLine(database.substr(start, end - start))) {
      std::fprintf(stderr, "fl.db1 holds a malformed line\n");
      std::abort();
    }
    start = end + 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CaptureRun rig;
  rig.SetObs("1000000");  // the run never ends on its own
  rig.PressPort(1);

  const std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  do {
    std::size_t end = input.find('\xff', start);
    if (end == std::string::npos) end = input.size();
    rig.port.Receive(input.substr(start, end - start));
    rig.time.FireNow();
    start = end + 1;
  } while (start <= input.size() && !rig.context.ended);

  CheckDatabase(rig.dir);
  return 0;
}
