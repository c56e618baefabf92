#include "link/burst_framing.h"

#include <cstdint>
#include <optional>

#include "capture/process_reading.h"
#include "common/number_text.h"
#include "common/safe_text.h"

namespace tally {

namespace {

std::int64_t TypedInterval(const std::string& text4) { return NearestWhole(NumberFromText(text4)); }

// An interval that was not taken as typed is named in List2 once; the same
// Text4 text is not named again at every comm event of the run.
void NoteIntervalFallback(CaptureContext& context, const std::string& text4, int used) {
  if (IsIntervalAsTyped(text4)) {
    context.intervalNotedFor.reset();
    return;
  }
  if (context.intervalNotedFor == text4) return;
  context.intervalNotedFor = text4;
  context.surface.AppendList2("Interval \"" + SafeText(text4) + "\" cannot be used; " +
                              std::to_string(used) + " ms used");
}

// The first tick since program start: whatever arrived is thrown away, and
// the status turns yellow.
void SyncTick(CaptureContext& context) {
  context.surface.AppendList1("sync ");
  context.surface.SetIndicatorColour(kYellow);
}

// The tick's work on the burst that was waiting: the sync tick first,
// ProcessReading after; tickCount raised after either.
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

int BurstInterval(const std::string& text4) {
  const std::int64_t typed = TypedInterval(text4);
  if (typed < 1) return kDefaultBurstInterval;
  if (typed > kLongestBurstInterval) return kLongestBurstInterval;
  return static_cast<int>(typed);
}

bool IsIntervalAsTyped(const std::string& text4) {
  const std::int64_t typed = TypedInterval(text4);
  return typed >= 1 && typed <= kLongestBurstInterval;
}

void OnCommEvent(CaptureContext& context) {
  if (context.ended) return;
  // The event loop was busy (a long repaint, a slow disk) past the quiet
  // interval and this receive event is handled before the tick: the burst
  // that was waiting is closed first, as the tick would have closed it, and
  // what arrived since starts the next burst.
  if (const std::optional<Moment> ranOut = context.timer.OverdueSince()) {
    CloseBurst(context, context.port.InputArrivedBefore(*ranOut));
    if (context.ended) return;
  }
  const std::string text4 = context.surface.Text(TextBox::Text4);
  const int interval = BurstInterval(text4);
  NoteIntervalFallback(context, text4, interval);
  context.timer.SetInterval(interval);
  context.timer.Arm();
  context.state.obsRemaining = NumberFromText(context.surface.Text(TextBox::Text3));
}

void OnBurstTimer(CaptureContext& context) {
  if (context.ended) return;
  CloseBurst(context, context.port.Input());
}

}  // namespace tally
