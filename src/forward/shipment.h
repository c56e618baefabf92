#pragma once
// One batch of lines as one parameterised statement: the lines of the set
// database become sets with their readings (or other lines, when they are
// no whole set), the lines of the alarm log alarms; a line of either that text
// cannot hold becomes an other line kept as bytes. A row is one line where
// it stands in its file (offset and bytes), so the same text twice is two
// rows, and a file read again adds only what is new.
// The statement answers how many rows it stored, then the offsets (as text,
// blank between) of the lines it stored as bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forward/database.h"
#include "records/file_follower.h"
#include "records/stamp_order.h"

namespace tally::forward {

enum class FollowedKind { Sets, Alarms };

// What the log says of a line kept as bytes: only once the database stored
// it, never of a line it already held (read again from a replaced file).
struct BytesNote {
  std::uint64_t offset = 0;
  std::string text;
};

struct Shipment {
  std::string sql;
  std::vector<Parameter> parameters;  // $1 is the station
  int lines = 0;
  std::vector<BytesNote> notes;
  // Said in the log once the shipment is stored: sets stored whole although
  // a value is wider than its field.
  std::vector<std::string> warnings;
};

// The stamp a line takes its place with in its file's order of stamps;
// none for a line that has no place in it (no stamp, cut, or kept as bytes).
std::optional<LocalStamp> OrderedStamp(FollowedKind kind, const WholeLine& line);

// Each stamp is placed in time by order, which the lines before these have
// brought to where the file stands.
Shipment SetShipment(const std::vector<WholeLine>& lines, int stationId, StampOrder& order);
Shipment AlarmShipment(const std::vector<WholeLine>& lines, int stationId, StampOrder& order);
Shipment ShipmentOf(FollowedKind kind, const std::vector<WholeLine>& lines, int stationId, StampOrder& order);

// Why text cannot hold a line (it has a NUL byte); nullopt when it can.
// Such a line is stored in other_lines as its bytes, whichever file it is in.
std::optional<std::string> WhyTextCannotHold(std::string_view line);

// The notes of the lines the statement answered it stored as bytes.
std::vector<std::string> NotesOfStored(const std::vector<BytesNote>& notes, std::string_view storedOffsets);

}  // namespace tally::forward
