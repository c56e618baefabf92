#pragma once
// The set record in channel order: the lines of a completed set sorted by
// their channel, the operator's marker in front, two characters at the end.

#include <string>

#include "capture/capture_state.h"

namespace tally {

// The sorted record of a set record ("fL01", date and time, then "," and a
// line per reading in the order they came) taken in slots of the width of
// the processor type's lines; the first four characters of marker go over
// the record's "fL01".
std::string SortedRecord(const std::string& record, ProcessorType type, const std::string& marker);

}  // namespace tally
