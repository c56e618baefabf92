#include "link/burst_framing.h"

#include <cstdint>
#include <optional>

#include "capture/process_reading.h"
#include "common/control_roles.h"
#include "common/number_text.h"
#include "common/safe_text.h"

namespace tally {

namespace {

std::int64_t TypedInterval(const std::string& intervalText) {
  return NearestWhole(NumberFromText(intervalText));
}

// An interval that was not taken as typed is named in List2 once; the same
// interval text is not named again at every comm event of the run.
void NoteIntervalFallback(CaptureContext& context, const std::string& intervalText, int used) {
  if (IsIntervalAsTyped(intervalText)) {
    context.notices.Clear(Notice::UnusableInterval);
    return;
  }
  if (!context.notices.SayOnce(Notice::UnusableInterval, intervalText)) return;
  context.surface.AppendList2("Interval \"" + SafeText(intervalText) + "\" cannot be used; " +
                              std::to_string(used) + " ms used");
}

// The first tick since program start: whatever arrived is thrown away, and
// the status turns yellow.
void SyncTick(CaptureContext& context) {
  context.surface.AppendList1("sync ");
  context.surface.SetIndicatorColour(kYellow);
}

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

void OnCommEvent(CaptureContext& context) {
  // The event loop was busy (a long repaint, a slow disk) past the quiet
  // interval and this receive event is handled before the tick: the burst
  // that was waiting is closed first, as the tick would have closed it, and
  // what arrived since starts the next burst.
  if (const std::optional<Moment> ranOut = context.timer.OverdueSince()) {
    CloseBurst(context, context.port.InputArrivedBefore(*ranOut));
    if (context.ended) return;  // that burst was the run's last
  }
  const std::string intervalText = context.surface.Text(kInterval);
  const int interval = BurstInterval(intervalText);
  NoteIntervalFallback(context, intervalText, interval);
  context.timer.SetInterval(interval);
  context.timer.Arm();
  context.state.obsRemaining = NumberFromText(context.surface.Text(kObsWanted));
}

void OnBurstTimer(CaptureContext& context) {
  CloseBurst(context, context.port.Input());
}

}  // namespace tally
