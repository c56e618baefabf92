#pragma once
// The forwarder's life: connect, learn where each file was shipped up to,
// then ship whole lines in batches, each batch and its new position in one
// transaction, for as long as the program runs. A lost database is waited
// for with growing pauses (up to 60 s); a refusal ends the run.

#include <optional>
#include <string>

#include "common/log_line.h"
#include "common/stop_signals.h"
#include "forward/database.h"
#include "forward/file_position.h"
#include "forward/forward_options.h"
#include "forward/shipment.h"

namespace tally::forward {

class Forwarder {
 public:
  Forwarder(ForwardOptions options, StopSignals& stops, const LogWriter& log);

  // The exit status: 0 when stopped by a signal (or done, with --once),
  // kExitConfig when the database refused.
  [[nodiscard]] int Run();

 private:
  struct FollowedFile {
    std::string name;
    FollowedKind kind;
    FilePosition position;
  };
  enum class Step { Shipped, Idle, Lost, Refused };

  // A connection with the station known and the positions loaded; false
  // when stopped or refused (refusal_ then says why).
  bool Reach();
  Status Prepare(Database& database);
  Step Ship(FollowedFile& file);
  Step Trouble(const Failure& failure);
  void Lose(const Failure& failure);

  ForwardOptions options_;
  StopSignals& stops_;
  const LogWriter& log_;
  std::optional<Database> database_;
  int stationId_ = 0;
  FollowedFile files_[2];
  std::optional<Failure> refusal_;
  bool waiting_ = false;  // said that the database is unreachable
  long long lostSince_ = 0;
  bool killBeforeCommit_ = false;  // a failpoint for the tests
};

}  // namespace tally::forward
