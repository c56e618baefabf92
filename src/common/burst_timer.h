#pragma once
// The one-shot burst timer: an interval in whole milliseconds,
// armed and disarmed by the program; arming again restarts the countdown.

#include <functional>
#include <optional>

#include "common/moment.h"

namespace tally {

class BurstTimer {
 public:
  virtual ~BurstTimer() = default;
  virtual void SetInterval(int milliseconds) = 0;
  virtual void Arm() = 0;     // starts or restarts the countdown
  virtual void Disarm() = 0;  // no tick until armed again
  virtual bool IsArmed() const = 0;
  // The moment the countdown ran out when it has run out but its tick has
  // not been handled yet (the event loop was busy); empty otherwise.
  virtual std::optional<Moment> OverdueSince() const = 0;
  virtual void SetTickHandler(std::function<void()> handler) = 0;
};

}  // namespace tally
