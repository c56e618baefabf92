#pragma once
// One batch of lines as one parameterised statement: the lines of "fl.db1"
// become sets with their readings (or other lines, when they are no whole
// set), the lines of "alarmlog.txt" alarms. Rows already stored are
// skipped by the unique keys, so a file read again adds only what is new.
// The statement answers how many rows it stored.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forward/database.h"
#include "forward/line_batch.h"
#include "history/set_line.h"

namespace tally::forward {

enum class FollowedKind { Sets, Alarms };

struct Shipment {
  std::string sql;
  std::vector<Parameter> parameters;  // $1 is the station
  int lines = 0;
};

Shipment SetShipment(const std::vector<WholeLine>& lines, int stationId);
Shipment AlarmShipment(const std::vector<WholeLine>& lines, int stationId);
Shipment ShipmentOf(FollowedKind kind, const std::vector<WholeLine>& lines, int stationId);

// The parts of an alarm log line "03 high fL0120261206143015".
struct AlarmLine {
  std::string channel;
  std::string kind;   // "high" or "low"
  std::string stampText;                       // YYYYMMDDhhmmss as written
  std::optional<history::LocalStamp> stamp;    // nullopt when that is no date
};
// nullopt when the line does not have that form.
std::optional<AlarmLine> ReadAlarmLine(std::string_view line);

}  // namespace tally::forward
