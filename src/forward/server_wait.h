#pragma once
// Waiting for the database server's socket, never longer than the program
// allows: a log-in gives up at its deadline, and once a stop signal came
// whatever the server still owes gets a grace well inside the unit's stop
// timeout. Past that the socket is shut down, so that libpq meets a lost
// connection at once instead of waiting for a server that hangs.

#include <chrono>
#include <optional>
#include <string>

#include "common/stop_signals.h"

namespace tally::forward {

using Moment = std::chrono::steady_clock::time_point;

class ServerWait {
 public:
  static constexpr int kStopGraceMs = 10'000;

  // stops: none to wait as long as the deadlines allow.
  explicit ServerWait(StopSignals* stops) : stops_(stops) {}

  // Waits until socket is ready for events (poll's); false, with the socket
  // shut down and gaveUp() saying why, when deadline or the grace after a
  // stop signal ran out first.
  [[nodiscard]] bool Ready(int socket, short events, std::optional<Moment> deadline = std::nullopt);
  const std::string& gaveUp() const { return gaveUp_; }

 private:
  bool GiveUp(int socket, std::string why);

  StopSignals* stops_;
  std::optional<Moment> stopSeen_;
  std::string gaveUp_;
};

}  // namespace tally::forward
