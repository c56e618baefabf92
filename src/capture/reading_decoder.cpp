#include "capture/reading_decoder.h"

#include <array>
#include <charconv>
#include <cmath>
#include <exception>
#include <new>
#include <string>
#include <system_error>

#include "common/file_io.h"
#include "common/item_reader.h"
#include "common/number_text.h"
#include "common/scratch_companion.h"
#include "records/data_files.h"

namespace tally {

namespace {

constexpr const char* kLineEnd = "\r\n";
// A burst longer than this (line-end characters included) marks an fLII
// processor.
constexpr std::size_t kShortBurstLength = 18;
// fLII: a field 8 below this value shifts the fields one place to the left.
constexpr double kShiftBelow = 10000;
constexpr double kShiftFill = 11111;
// Passes of the padding step; each puts at most one "0" in front.
constexpr int kPaddingPasses = 5;

// The plain decimal text of a non-negative finite value without exponent:
// the shortest fixed-notation text that reads back to the same double (of
// texts equally short, the one nearest the value). A whole value gives its
// digits and no point: exactly its digits up to 15 digits, the double's
// exact integer value beyond (1e20 gives 1 and 20 zeros, 1e300 301 digits).
std::string PlainDecimal(double magnitude) {
  // The longest fixed text of a double is the smallest subnormal, "0." and
  // 323 more digits; the largest finite value has 309 digits.
  std::array<char, 512> buffer;  // to_chars fills what it gives
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::fixed);
  if (result.ec != std::errc()) return "0";  // cannot happen with this buffer
  return std::string(buffer.data(), result.ptr);
}

Failure ScratchFailure(FailureCode code, const std::string& what, const std::string& reason) {
  return Failure{code, what + " " + kScratchName + ": " + reason};
}

// The items read back from the scratch file, shifted, given
// their text form, padded and joined.
Outcome<ReadingLine> ReadFields(ItemReader& reader, int fieldCount) {
  ReadingLine line;
  line.fieldCount = fieldCount;
  for (int field = 1; field <= fieldCount; ++field) {
    const auto item = [field] { return "item " + std::to_string(field); };
    const Outcome<double> value = reader.NextNumber();
    if (!value.ok()) {
      const Failure& failure = value.failure();
      switch (failure.code) {
        case FailureCode::EndOfFile:
          return Failure{failure.code, "too few items: " + std::to_string(field - 1) + " of " +
                                           std::to_string(fieldCount) + " in " + kScratchName};
        case FailureCode::EmptyItem:
          return Failure{failure.code, item() + " is empty"};
        case FailureCode::NotANumber:  // the message shows the item: "\"abc\" is not a number"
          return Failure{failure.code, item() + " " + failure.message};
        default:
          return ScratchFailure(failure.code, "cannot read", failure.message);
      }
    }
    // Out-of-range items saturate to the largest finite value; this only
    // guards the text form against ever seeing infinity or not-a-number.
    if (!std::isfinite(value.value())) {
      return Failure{FailureCode::NotANumber, item() + " is not a finite number"};
    }
    line.fieldValue[field - 1] = value.value();
  }

  // Shift rule (fLII only): field 8 below 10000 moves every field one place
  // to the left, drops field 1 and sets field 8 to 11111.
  if (fieldCount == kMaxFields && line.fieldValue[kMaxFields - 1] < kShiftBelow) {
    for (int index = 0; index < kMaxFields - 1; ++index) {
      line.fieldValue[index] = line.fieldValue[index + 1];
    }
    line.fieldValue[kMaxFields - 1] = kShiftFill;
  }

  for (int index = 0; index < fieldCount; ++index) {
    line.fieldText[index] = FieldText(line.fieldValue[index], kFieldWidth[index]);
    if (index > 0) line.text += ',';
    line.text += line.fieldText[index];
  }
  return line;
}

// A scratch file the directory does not take is told once while it lasts,
// and again after it has worked in between.
void NoteScratchFile(CaptureContext& context, const Status& status) {
  if (status.ok()) {
    context.notices.Clear(Notice::ScratchFileFailing);
    return;
  }
  if (!context.notices.SayOnce(Notice::ScratchFileFailing)) return;
  const Failure& failure = status.failure();
  context.events.Tell(
      event::ScratchFileFailing{ScratchFailure(failure.code, "cannot use", failure.message).message});
}

}  // namespace

Stamps MakeStamps(const LocalDateTime& now) {
  Stamps stamps;
  stamps.dateStamp = "fL01";
  AppendStamp(stamps.dateStamp, {{now.year, 4}, {now.month, 2}, {now.day, 2}});
  AppendStamp(stamps.timeStamp, {{now.hour, 2}, {now.minute, 2}, {now.second, 2}});
  return stamps;
}

std::string FieldText(double value, int width) {
  // The sign position is removed: -5 gives 5, and -0 gives 0.
  std::string text;
  if (std::isnan(value)) {
    text = "nan";
  } else if (std::isinf(value)) {
    text = "inf";
  } else {
    text = PlainDecimal(std::fabs(value));
  }
  // Five passes of at most one "0" each: with the widths of the line (2 to
  // 5) and a text of at least one character this pads fully to the width;
  // a text as long as its width or longer is never cut.
  for (int pass = 0; pass < kPaddingPasses; ++pass) {
    if (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
  }
  return text;
}

void LetGoOfScratchFile(CaptureContext& context) {
  context.scratch.Release();
  if (!context.state.dataPath.empty()) RemoveCompanionOf(InFolder(context.state.dataPath, kScratchName));
}

Outcome<ReadingLine> DecodeBurstText(CaptureContext& context, const std::string& burst) {
  CaptureState& state = context.state;
  const std::string path = InFolder(state.dataPath, kScratchName);

  // The burst, CR LF, the burst again, CR LF, replacing the old file, and
  // read back from it. Per burst, so no flush to the device: the file is
  // scratch, and it stays open with its companion for the next burst.
  const std::string scratch = burst + kLineEnd + burst + kLineEnd;
  Outcome<std::string> readBack = Failure{FailureCode::FileWrite, "not written"};
  try {
    readBack = ReplaceScratchAndReadBack(context.scratch, path, scratch);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& error) {
    readBack = Failure{FailureCode::FileWrite, error.what()};
  }

  // The processor type is told after every burst, whatever becomes of it.
  if (burst.size() > kShortBurstLength) state.processorType = ProcessorType::fLII;
  const bool eightFields = state.processorType == ProcessorType::fLII;
  context.events.Tell(event::ProcessorTypeSeen{eightFields});

  if (burst.empty()) return Failure{FailureCode::EmptyItem, "the burst is empty"};
  const int fieldCount = eightFields ? kMaxFields : 4;

  NoteScratchFile(context, readBack.status());
  // The scratch file is only a copy: a reading is not lost because the
  // directory does not take it. The same two copies are read in memory.
  ItemReader reader(readBack.ok() ? std::move(readBack).value() : scratch);
  return ReadFields(reader, fieldCount);
}

}  // namespace tally
