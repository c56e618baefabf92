#pragma once
// The offsets from UTC a time zone had, as a list of its changes, so that a
// local stamp without a zone can be given the offset it was written under.
// Filled from the system's zone database by the program; plain arithmetic
// here.

#include <cstdint>
#include <string>
#include <vector>

namespace tally {

struct ZoneChange {
  std::int64_t utc = 0;  // seconds since 1970 UTC at which the change takes effect
  int offsetBefore = 0;  // seconds east of UTC
  int offsetAfter = 0;
};

// How a local time stands to the zone's changes.
enum class DstMark {
  None,      // the local time occurs once
  Repeated,  // the hour the change back repeats: it occurs twice
  Skipped,   // the hour the change forward skips: it never occurred
};

const char* DstMarkName(DstMark mark);  // "", "repeated", "skipped"

struct LocalOffsets {
  DstMark mark = DstMark::None;
  int offset = 0;       // the only one; the first occurrence's; the one before a skip
  int laterOffset = 0;  // Repeated: the second occurrence's (after the change)
};

class ZoneRules {
 public:
  // A zone with one offset for all times.
  explicit ZoneRules(int fixedOffset = 0);
  // changes sorted by utc; offsetBefore of the first is the offset before it.
  ZoneRules(int earliestOffset, std::vector<ZoneChange> changes);

  int OffsetAtUtc(std::int64_t utc) const;
  // localSeconds as LocalStamp::Seconds gives it.
  LocalOffsets At(std::int64_t localSeconds) const;

 private:
  int earliestOffset_;
  std::vector<ZoneChange> changes_;
};

// "+01:00", "-03:30", "+00:00"; with seconds where the offset has them.
std::string OffsetText(int offset);

}  // namespace tally
