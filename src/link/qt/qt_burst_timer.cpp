#include "link/qt/qt_burst_timer.h"

namespace tally {

QtBurstTimer::QtBurstTimer(QObject* parent) : QObject(parent), timer_(this) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &QtBurstTimer::OnTimeout);
}

void QtBurstTimer::SetInterval(int milliseconds) {
  // QTimer takes no negative interval; a negative one ticks at once, as 0 does.
  timer_.setInterval(milliseconds < 0 ? 0 : milliseconds);
}

void QtBurstTimer::Arm() {
  runsOutAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(timer_.interval());
  timer_.start();  // start() on a running timer restarts it
}

void QtBurstTimer::Disarm() { timer_.stop(); }

bool QtBurstTimer::IsArmed() const { return timer_.isActive(); }

std::optional<Moment> QtBurstTimer::OverdueSince() const {
  // A timer whose tick is due stays active until the event loop delivers it.
  if (!timer_.isActive() || std::chrono::steady_clock::now() < runsOutAt_) return std::nullopt;
  return runsOutAt_;
}

void QtBurstTimer::SetTickHandler(std::function<void()> handler) { onTick_ = std::move(handler); }

void QtBurstTimer::OnTimeout() {
  if (onTick_) onTick_();
}

}  // namespace tally
