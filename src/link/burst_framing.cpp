#include "link/burst_framing.h"

#include <cstdint>
#include <optional>

#include "capture/process_reading.h"
#include "common/number_text.h"

namespace tally {

namespace {

std::int64_t TypedInterval(const std::string& intervalText) {
  return NearestWhole(NumberFromText(intervalText));
}

// An interval that was not taken as given is told once; the same interval
// is not told again at every comm event of the run.
void NoteIntervalFallback(CaptureContext& context, const IntervalSetting& interval) {
  if (interval.usable) {
    context.notices.Clear(Notice::UnusableInterval);
    return;
  }
  if (!context.notices.SayOnce(Notice::UnusableInterval, interval.given)) return;
  context.events.Tell(event::IntervalUnusable{interval.given, interval.milliseconds});
}

// The first tick since program start: whatever arrived is thrown away.
void SyncTick(CaptureContext& context) { context.events.Tell(event::SyncBurstDropped{}); }

// The tick's work on the burst that was waiting: the sync tick first,
// ProcessReading after; tickCount raised after either, unless that burst
// ended the run.
void CloseBurst(CaptureContext& context, const std::string& burst) {
  context.timer.Disarm();
  if (context.state.tickCount > 0) {
    ProcessReading(context, burst);
  } else {
    SyncTick(context);
  }
  if (context.ended) return;
  ++context.state.tickCount;
}

}  // namespace

int BurstInterval(const std::string& intervalText) {
  const std::int64_t typed = TypedInterval(intervalText);
  if (typed < 1) return kDefaultBurstInterval;
  if (typed > kLongestBurstInterval) return kLongestBurstInterval;
  return static_cast<int>(typed);
}

bool IsIntervalAsTyped(const std::string& intervalText) {
  const std::int64_t typed = TypedInterval(intervalText);
  return typed >= 1 && typed <= kLongestBurstInterval;
}

IntervalSetting IntervalFromText(const std::string& intervalText) {
  return IntervalSetting{BurstInterval(intervalText), IsIntervalAsTyped(intervalText), intervalText};
}

void OnCommEvent(CaptureContext& context) {
  // The event loop was busy (a long repaint, a slow disk) past the quiet
  // interval and this receive event is handled before the tick: the burst
  // that was waiting is closed first, as the tick would have closed it, and
  // what arrived since starts the next burst.
  if (const std::optional<Moment> ranOut = context.timer.OverdueSince()) {
    CloseBurst(context, context.port.InputArrivedBefore(*ranOut));
    if (context.ended) return;  // that burst was the run's last
  }
  const IntervalSetting interval = context.settings.Interval();
  NoteIntervalFallback(context, interval);
  context.timer.SetInterval(interval.milliseconds);
  context.timer.Arm();
  context.state.obsRemaining = context.settings.SetsWanted();
}

void OnBurstTimer(CaptureContext& context) {
  CloseBurst(context, context.port.Input());
}

}  // namespace tally
