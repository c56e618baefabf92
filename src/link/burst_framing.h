#pragma once
// Burst framing by quiet time: every comm event restarts the one-shot burst
// timer; its tick takes what arrived as one burst.

#include "capture/capture_context.h"

namespace tally {

// OnComm: interval from Text4, timer (re)armed, obsRemaining from Text3.
void OnCommEvent(CaptureContext& context);

// Timer1 tick: disarm; the sync tick first, ProcessReading after; tickCount
// raised after either.
void OnBurstTimer(CaptureContext& context);

// The interval the burst timer is given for a Text4 text.
int BurstInterval(const std::string& text4);

}  // namespace tally
