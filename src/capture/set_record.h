#pragma once
// The set record in channel order: the lines of a completed set sorted by
// their channel, the operator's marker in front, two characters at the end.

#include <string>

#include "capture/capture_state.h"

namespace tally {

// The sorted record of a set record ("fL01", date and time, then "," and a
// line per reading in the order they came). While every line has the width
// of the processor type's lines, the record is taken in slots of that width
// (the last line of a channel wins its place); the first four characters of
// marker go over the record's "fL01". When a line is wider or narrower (a
// value with more digits than its field, or a set collected while the
// processor type changed), each line is placed by its own channel key
// instead, so that every reading stays exactly once.
std::string SortedRecord(const std::string& record, ProcessorType type, const std::string& marker);

}  // namespace tally
