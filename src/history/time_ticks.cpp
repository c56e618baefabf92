#include "history/time_ticks.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "records/set_line.h"

namespace tally::history {

namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;
constexpr std::array<std::int64_t, 22> kSteps = {
    1,         2,         5,         10,        15,       30,       kMinute,  2 * kMinute,
    5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute, kHour, 2 * kHour, 3 * kHour, 6 * kHour,
    12 * kHour, kDay,     2 * kDay,  7 * kDay,  30 * kDay, 365 * kDay};

std::int64_t StepFor(double spanSeconds, int most) {
  for (const std::int64_t step : kSteps) {
    if (spanSeconds / static_cast<double>(step) <= most) return step;
  }
  return static_cast<std::int64_t>(std::ceil(spanSeconds / most / static_cast<double>(kDay))) * kDay;
}

std::string Label(std::int64_t localSeconds, std::int64_t step) {
  std::string text = LocalStamp::FromSeconds(localSeconds).Iso();
  text[10] = ' ';
  if (step >= kDay) return text.substr(0, 10);
  return step >= kMinute ? text.substr(0, 16) : text;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

std::vector<TimeTick> TimeTicks(double fromMs, double toMs, const ZoneRules& zone, int most) {
  std::vector<TimeTick> ticks;
  if (!(toMs > fromMs) || most < 1) return ticks;
  const auto from = static_cast<std::int64_t>(std::floor(fromMs / 1000));
  const double to = toMs / 1000;
  const std::int64_t step = StepFor(to - fromMs / 1000, most);
  // Round wall-clock times from the one at or before the start; the first
  // ones may lie before it when the clock changes there.
  std::int64_t local = FloorDiv(from + zone.OffsetAtUtc(from), step) * step;
  for (int guard = 0; guard < 2 * most + 4; ++guard, local += step) {
    const LocalOffsets offsets = zone.At(local);
    if (offsets.mark == DstMark::Skipped) continue;
    const std::int64_t instant = local - offsets.offset;
    if (static_cast<double>(instant) > to) break;
    if (instant * 1000.0 >= fromMs) ticks.push_back({instant * 1000.0, Label(local, step)});
  }
  return ticks;
}

}  // namespace tally::history
