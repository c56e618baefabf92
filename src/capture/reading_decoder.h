#pragma once
// The reading decoder: a burst of processor text becomes one ReadingLine,
// through the scratch file "cp.txt" of the data directory.

#include <string>

#include "capture/capture_context.h"
#include "capture/reading_line.h"
#include "common/outcome.h"

namespace tally {

// dateStamp and timeStamp of a moment: "fL01yyyymmdd" and "hhmmss".
Stamps MakeStamps(const LocalDateTime& now);

// Writes a burst taken from the port twice to "cp.txt", updates
// processorType (told), reads the fields back and returns the
// line. A burst that cannot give a line (scratch file not
// writable or readable, too few items, an empty item, an item that is not a
// number) gives a Failure whose message says why; no exception escapes and
// the raw burst stays in "cp.txt" whenever it could be written.
Outcome<ReadingLine> DecodeBurstText(CaptureContext& context, const std::string& burst);

// At a clean end of the capture: lets the scratch file and its companion go
// and removes the companion, so that the data directory keeps "cp.txt" and
// the operator's files only.
void LetGoOfScratchFile(CaptureContext& context);

// The text form of a field value: decimal text without the sign, plain
// digits for integers, a plain decimal form that reads back to the same
// value otherwise; then padded with zeros to width.
std::string FieldText(double value, int width);

}  // namespace tally
