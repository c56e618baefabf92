#include "forward/forwarder.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "forward/schema.h"
#include "records/data_files.h"
#include "records/system_zone.h"

namespace tally::forward {
namespace {

constexpr int kIdlePollMs = 250;
constexpr int kLongestHoldMs = 60'000;

std::string Number(std::uint64_t value) { return std::to_string(value); }

std::string Signed(std::uint64_t hash) { return std::to_string(static_cast<long long>(hash)); }

bool IsDirectory(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

long long MonotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec;
}

// The zone named (checked with the command line), else the program's own.
ZoneRules ZoneOf(const std::string& name) {
  std::optional<ZoneRules> named = ZoneRulesNamed(name);
  return named ? *named : *ZoneRulesNamed("");
}

}  // namespace

Forwarder::Forwarder(ForwardOptions options, StopSignals& stops, const LogWriter& log)
    : options_(std::move(options)),
      stops_(stops),
      log_(log),
      zone_(ZoneOf(options_.zone)),
      files_{{kSetFileName, FollowedKind::Sets, {}, {}, StampOrder(zone_),
              FileFollower(InFolder(options_.dataDirectory, kSetFileName))},
             {kAlarmLogName, FollowedKind::Alarms, {}, {}, StampOrder(zone_),
              FileFollower(InFolder(options_.dataDirectory, kAlarmLogName))}} {
  const char* armed = std::getenv("TALLY77_FORWARD_FAILPOINT");
  const std::string failpoint = armed ? armed : "";
  if (failpoint == "kill-before-commit") beforeCommit_ = [] { std::raise(SIGKILL); };
  if (failpoint == "hold-before-commit") {
    beforeCommit_ = [this] {
      log_.Info("failpoint: batch sent, its commit held until a signal");
      (void)stops_.WaitFor(kLongestHoldMs);
    };
  }
}

int Forwarder::Run() {
  if (options_.once && !IsDirectory(options_.dataDirectory)) {
    log_.Error(options_.dataDirectory + " is no data directory: nothing to ship");
    return kExitNoInput;
  }
  log_.Info("forwarding " + options_.dataDirectory + " as station \"" + options_.station + "\"");
  while (stops_.Pending() == 0) {
    if (!database_ && !Reach()) break;
    bool shipped = false;
    for (FollowedFile& file : files_) {
      if (stops_.Pending() != 0) break;
      const Step step = Ship(file);
      if (step == Step::Refused) return kExitConfig;
      if (step == Step::Lost) {
        (void)stops_.WaitFor(outage_.NextPauseMs());
        break;
      }
      shipped = shipped || step == Step::Shipped;
    }
    if (!database_) continue;
    // A wait ends with a pass the database took, not with a connection: a
    // statement that keeps failing stays one wait, said once.
    if (const std::optional<std::string> back = outage_.Reached(MonotonicSeconds())) log_.Info(*back);
    if (shipped) continue;
    if (options_.once) return unreadable_ ? kExitIoError : 0;
    (void)stops_.WaitFor(kIdlePollMs);
  }
  if (refusal_) return kExitConfig;
  if (unreached_) return kExitUnavailable;
  log_.Info("stopped by signal " + std::to_string(stops_.Pending()));
  return 0;
}

bool Forwarder::Reach() {
  using std::chrono::milliseconds;
  const std::optional<Moment> giveUpAt =
      options_.once ? std::optional(std::chrono::steady_clock::now() + std::chrono::seconds(options_.waitSeconds))
                    : std::nullopt;
  while (stops_.Pending() == 0) {
    Outcome<Database> connected = Database::Connect(options_.conninfo, &stops_, giveUpAt);
    Status prepared = connected.ok() ? Prepare(connected.value()) : connected.status();
    if (prepared.ok()) {
      database_.emplace(std::move(connected).value());
      if (!outage_.waiting()) log_.Info("connected to " + database_->Where());
      return true;
    }
    const Failure& failure = prepared.failure();
    if (failure.code != FailureCode::DatabaseUnreachable) {
      log_.Error("the database refused: " + failure.message);
      refusal_ = failure;
      return false;
    }
    Lose(failure);
    long long pauseMs = outage_.NextPauseMs();
    if (giveUpAt) {
      pauseMs = std::min(pauseMs, static_cast<long long>(std::chrono::duration_cast<milliseconds>(
                                      *giveUpAt - std::chrono::steady_clock::now()).count()));
      if (pauseMs < 0) {
        log_.Error("no database within " + std::to_string(options_.waitSeconds) +
                   " s (--wait); what is not shipped waits in the files");
        unreached_ = true;
        return false;
      }
    }
    if (stops_.WaitFor(static_cast<int>(pauseMs)) != 0) break;
  }
  return false;
}

void Forwarder::Lose(const Failure& failure) {
  database_.reset();
  if (const std::optional<std::string> said = outage_.Failed(failure.message, MonotonicSeconds())) {
    log_.Warning(*said);
  }
}

Status Forwarder::Prepare(Database& database) {
  if (Status checked = CheckSchema(database); !checked.ok()) return checked;
  if (Status kept = KeepEarlierName(database); !kept.ok()) return kept;
  const Parameter station = options_.station;
  Outcome<Rows> inserted =
      database.Run("INSERT INTO tally77.stations (name) VALUES ($1) ON CONFLICT (name) DO NOTHING", {station});
  if (!inserted.ok()) return inserted.failure();
  Outcome<Rows> id = database.Run("SELECT id FROM tally77.stations WHERE name = $1", {station});
  if (!id.ok()) return id.failure();
  stationId_ = static_cast<int>(id.value().Number(0, 0));
  for (FollowedFile& file : files_) {
    Outcome<Rows> last = database.Run(
        "SELECT byte_offset, line_length, line_hash FROM tally77.positions WHERE station_id = $1 AND file = $2 "
        "ORDER BY id DESC LIMIT 1",
        {std::to_string(stationId_), file.name});
    if (!last.ok()) return last.failure();
    const FilePosition had = file.position;
    file.position = {};
    if (last.value().count() == 1) {
      const Rows& row = last.value();
      file.position = {static_cast<std::uint64_t>(row.Number(0, 0)), static_cast<std::uint32_t>(row.Number(0, 1)),
                       static_cast<std::uint64_t>(row.Number(0, 2))};
    }
    // The order of stamps read so far holds only for the lines up to the
    // position it was read with.
    if (file.position.offset != had.offset || file.position.lineHash != had.lineHash) RecallOrder(file);
  }
  return Ok();
}

Status Forwarder::KeepEarlierName(Database& database) {
  if (options_.earlierStation.empty()) return Ok();
  Outcome<Rows> last = database.Run(
      "SELECT p.byte_offset, p.line_length, p.line_hash FROM tally77.stations s "
      "JOIN tally77.positions p ON p.station_id = s.id WHERE s.name = $1 AND p.file = $2 "
      "AND NOT EXISTS (SELECT 1 FROM tally77.stations WHERE name = $3) ORDER BY p.id DESC LIMIT 1",
      {options_.earlierStation, std::string(kSetFileName), options_.station});
  if (!last.ok()) return last.failure();
  const Rows& row = last.value();
  const std::string earlier = std::exchange(options_.earlierStation, "");
  if (row.count() != 1) return Ok();
  const FilePosition shipped{static_cast<std::uint64_t>(row.Number(0, 0)), static_cast<std::uint32_t>(row.Number(0, 1)),
                             static_cast<std::uint64_t>(row.Number(0, 2))};
  if (shipped.atStart() || CheckPosition(InFolder(options_.dataDirectory, kSetFileName), shipped) != PositionCheck::Holds) {
    return Ok();
  }
  log_.Info("station \"" + earlier + "\" was shipped from this data directory: it goes on under that name");
  options_.station = earlier;
  return Ok();
}

void Forwarder::RecallOrder(FollowedFile& file) const {
  file.order = StampOrder(zone_);
  StampOrder order(zone_);
  FileFollower follower(InFolder(options_.dataDirectory, file.name));
  for (FilePosition at; at.offset < file.position.offset;) {
    Outcome<LineBatch> batch = follower.Next(at, options_.limits);
    // A file that no longer holds the position is read from its start
    // anyway, with an order of its own.
    if (!batch.ok() || batch.value().check != PositionCheck::Holds || batch.value().lines.empty()) return;
    for (const WholeLine& line : batch.value().lines) {
      if (line.offset >= file.position.offset) break;
      if (const std::optional<LocalStamp> stamp = OrderedStamp(file.kind, line)) order.Place(*stamp);
    }
    at = batch.value().end;
  }
  file.order = order;
}

Forwarder::Step Forwarder::Trouble(const Failure& failure) {
  if (failure.code == FailureCode::DatabaseUnreachable) {
    Lose(failure);
    return Step::Lost;
  }
  log_.Error("the database refused: " + failure.message);
  refusal_ = failure;
  return Step::Refused;
}

Forwarder::Step Forwarder::Ship(FollowedFile& file) {
  Outcome<LineBatch> batch = file.follower.Next(file.position, options_.limits);
  if (batch.ok() && batch.value().check != PositionCheck::Holds) {
    log_.Warning(PositionTrouble(batch.value().check, file.name, file.position.offset));
    file.position = {};
    file.order = StampOrder(zone_);
  }
  if (!batch.ok()) {
    unreadable_ = true;
    if (file.trouble != batch.failure().message) log_.Warning(batch.failure().message);
    file.trouble = batch.failure().message;
    return Step::Idle;
  }
  file.trouble.clear();
  if (batch.value().lines.empty()) return Step::Idle;
  const FilePosition end = batch.value().end;
  // The stamps' order moves on only with a batch the database took.
  StampOrder order = file.order;
  const Shipment shipment = ShipmentOf(file.kind, batch.value().lines, stationId_, order);
  batch.value().lines.clear();

  Outcome<std::vector<Rows>> stored = database_->RunTogether(
      {{shipment.sql, shipment.parameters},
       {"INSERT INTO tally77.positions (station_id, file, byte_offset, line_length, line_hash) "
        "VALUES ($1, $2, $3, $4, $5)",
        {std::to_string(stationId_), file.name, Number(end.offset), Number(end.lineLength), Signed(end.lineHash)}}},
      beforeCommit_);
  if (!stored.ok()) return Trouble(stored.failure());
  file.position = end;
  file.order = order;
  const long long added = stored.value().front().Number(0, 0);
  log_.Info(file.name + ": " + std::to_string(added) + " of " + std::to_string(shipment.lines) +
                             " lines stored" +
                             (added < shipment.lines ? " (" + std::to_string(shipment.lines - added) + " already there)"
                                                     : "") +
                             ", shipped up to byte " + Number(end.offset));
  for (const std::string& note : NotesOfStored(shipment.notes, stored.value().front().Text(0, 1))) log_.Warning(note);
  for (const std::string& warning : shipment.warnings) log_.Warning(warning);
  return Step::Shipped;
}

}  // namespace tally::forward
