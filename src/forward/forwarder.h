#pragma once
// The forwarder's life: connect, learn where each file was shipped up to,
// then ship whole lines in batches, each batch and its new position in one
// transaction, for as long as the program runs. A lost database is waited
// for with growing pauses (up to 60 s); a refusal ends the run. A stop
// signal is heeded between batches: the batch in flight is committed first,
// unless the server leaves it unanswered past a grace (ServerWait).

#include <functional>
#include <optional>
#include <string>

#include "common/log_line.h"
#include "common/stop_signals.h"
#include "forward/database.h"
#include "forward/file_position.h"
#include "forward/forward_options.h"
#include "forward/outage.h"
#include "forward/shipment.h"
#include "records/zone_rules.h"

namespace tally::forward {

class Forwarder {
 public:
  Forwarder(ForwardOptions options, StopSignals& stops, const LogWriter& log);

  // The exit status: 0 when stopped by a signal (or done, with --once),
  // kExitConfig when the database refused; with --once kExitNoInput for a
  // data directory that is not there (no station is registered for it),
  // kExitUnavailable when no database answered within --wait, and
  // kExitIoError when a followed file could not be read.
  [[nodiscard]] int Run();

 private:
  struct FollowedFile {
    std::string name;
    FollowedKind kind;
    FilePosition position;
    std::string trouble;  // why it could not be read last time, said once
    StampOrder order;     // the stamps of the lines shipped up to position
    FileFollower follower;  // the file, held open from batch to batch
  };
  enum class Step { Shipped, Idle, Lost, Refused };

  // A connection with the station known and the positions loaded; false
  // when stopped or refused (refusal_ then says why).
  bool Reach();
  Status Prepare(Database& database);
  // A station of the earlier default name goes on under that name where
  // this data directory is the one it was shipped from (its set database
  // holds the line the station's position names) and the database has no
  // station of the new default name yet.
  Status KeepEarlierName(Database& database);
  // The order of the stamps before the file's position, read again from
  // the file: a run that starts inside a repeated hour learns from the
  // lines before which pass of the hour it is in.
  void RecallOrder(FollowedFile& file) const;
  Step Ship(FollowedFile& file);
  Step Trouble(const Failure& failure);
  void Lose(const Failure& failure);

  ForwardOptions options_;
  StopSignals& stops_;
  const LogWriter& log_;
  std::optional<Database> database_;
  int stationId_ = 0;
  ZoneRules zone_;  // the station's own zone (--tz, else TZ)
  FollowedFile files_[2];
  std::optional<Failure> refusal_;
  bool unreached_ = false;  // --once: no database within --wait
  bool unreadable_ = false;  // a followed file could not be read
  Outage outage_;
  // A failpoint the tests arm with TALLY77_FORWARD_FAILPOINT: between
  // sending a batch and its commit, "kill-before-commit" kills the program,
  // "hold-before-commit" waits for a signal.
  std::function<void()> beforeCommit_;
};

}  // namespace tally::forward
