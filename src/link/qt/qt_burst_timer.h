#pragma once
// The burst timer on a single-shot precise QTimer of the event thread.

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

#include "common/burst_timer.h"

namespace tally {

class QtBurstTimer : public QObject, public BurstTimer {
  Q_OBJECT

 public:
  explicit QtBurstTimer(QObject* parent = nullptr);

  void SetInterval(int milliseconds) override;
  void Arm() override;
  void Disarm() override;
  bool IsArmed() const override;
  std::optional<Moment> OverdueSince() const override;
  void SetTickHandler(std::function<void()> handler) override;

 private:
  void OnTimeout();

  QTimer timer_;
  Moment runsOutAt_{};  // of the countdown in progress
  std::function<void()> onTick_;
};

}  // namespace tally
