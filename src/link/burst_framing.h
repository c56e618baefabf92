#pragma once
// Burst framing by quiet time: every comm event restarts the one-shot burst
// timer; its tick takes what arrived as one burst.

#include <climits>
#include <string>

#include "capture/capture_context.h"

namespace tally {

// The interval used when the interval setting gives no whole number of at
// least 1 ms (empty, not a number, 0 or negative): 2000, the window's
// initial one.
inline constexpr int kDefaultBurstInterval = 2000;
// The longest interval the burst timer takes, in milliseconds.
inline constexpr int kLongestBurstInterval = INT_MAX;

// OnComm: interval from the run settings, timer (re)armed, obsRemaining
// from the sets wanted. When the countdown had already run out before the event was
// handled, the burst that was waiting (what arrived before that moment) is
// closed first, as the tick would have closed it.
void OnCommEvent(CaptureContext& context);

// The burst timer's tick: disarm; the sync tick first, ProcessReading after; tickCount
// raised after either.
void OnBurstTimer(CaptureContext& context);

// The interval the burst timer is given for the interval box's text: the
// nearest whole number of milliseconds (a half to even); below 1 the
// default interval, beyond the timer's range its longest interval.
int BurstInterval(const std::string& intervalText);

// Whether BurstInterval takes the interval text as typed (false when
// it falls back to the default or to the longest interval).
bool IsIntervalAsTyped(const std::string& intervalText);

// The interval setting of a text, as a front end's box or option gives it.
IntervalSetting IntervalFromText(const std::string& intervalText);

}  // namespace tally
