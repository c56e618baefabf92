#include "support/rate_file.h"

#include "common/item_reader.h"
#include "records/data_files.h"
#include "support/fixed_line.h"
#include "support/support_file.h"

namespace tally {

namespace {

// The file holds 12 numbers: four rates, then four numbers of which the
// first is the fifth rate, then four more; only the five rates are kept.
constexpr int kRateNumbers = 12;
constexpr int kRateLineWidth = 45;

// The rate kept for the n-th number read (1-based), or none when the number
// is read and dropped.
double* RateSlot(CaptureState& state, int number) {
  const auto index = static_cast<std::size_t>(number - 1);
  return index < state.rateValues.size() ? &state.rateValues[index] : nullptr;
}

std::string FourColumnLine(std::string_view a, std::string_view b, std::string_view c,
                           std::string_view d) {
  return FixedLine(kRateLineWidth, {{2, a}, {16, b}, {30, c}, {44, d}});
}

}  // namespace

void LoadRateFile(CaptureContext& context) {
  Outcome<ItemReader> opened = ItemReader::Open(SupportFilePath(context.state, kRateFileName), kSupportFileReadLimit);
  if (!opened.ok()) {
    ShowReadProblem(context, kRateFileName);
    return;
  }
  ItemReader& items = opened.value();
  for (int number = 1; number <= kRateNumbers; ++number) {
    // An empty item or one that is not a number is a fault of the file,
    // as is running out of numbers; rates read before it stay.
    const Outcome<double> value = items.NextNumber();
    if (!value.ok()) {
      ShowReadProblem(context, kRateFileName);
      return;
    }
    if (double* slot = RateSlot(context.state, number)) *slot = value.value();
  }
}

bool WriteDefaultRateFile(CaptureContext& context) {
  return WriteSupportFile(context, kRateFileName, DefaultRateFile());
}

std::string DefaultRateFile() {
  return FixedLine(kRateLineWidth, {{2, "12.75"}}) +
         FixedLine(kRateLineWidth, {{2, "2516.447"}}) +
         FixedLine(kRateLineWidth, {{2, "6.95"}}) +
         FixedLine(kRateLineWidth, {{2, "1"}}) +
         FourColumnLine("0", "1", "2", "3") +
         FourColumnLine("4", "5", "6", "7") +
         FourColumnLine("7", "7", "0", "0");
}

}  // namespace tally
