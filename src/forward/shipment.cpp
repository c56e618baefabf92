#include "forward/shipment.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "forward/array_parameter.h"
#include "records/alarm_line.h"
#include "records/data_files.h"
#include "records/set_line.h"

namespace tally::forward {
namespace {

const char* const kSetSql = R"sql(
WITH stored AS (
  INSERT INTO tally77.sets (station_id, file_offset, marker, stamp, utc_offset, taken_at, processor_type, record)
  SELECT $1, file_offset, marker, stamp, utc_offset, to_timestamp(epoch), processor_type, record
  FROM unnest($2::bigint[], $3::text[], $4::text[], $5::int[], $6::bigint[], $7::text[], $8::text[])
    AS t(file_offset, marker, stamp, utc_offset, epoch, processor_type, record)
  ORDER BY file_offset
  ON CONFLICT (station_id, file_offset, md5(record)) DO NOTHING
  RETURNING id, file_offset, taken_at
), readings AS (
  INSERT INTO tally77.readings (set_id, slot, station_id, taken_at, channel, line,
                                field1, field2, field3, field4, field5, field6, field7, field8)
  SELECT s.id, r.slot, $1, s.taken_at, r.channel, r.line, r.f1::numeric, r.f2::numeric, r.f3::numeric,
         r.f4::numeric, r.f5::numeric, r.f6::numeric, r.f7::numeric, r.f8::numeric
  FROM unnest($9::bigint[], $10::int[], $11::int[], $12::text[], $13::text[], $14::text[], $15::text[],
              $16::text[], $17::text[], $18::text[], $19::text[], $20::text[])
         AS r(set_offset, slot, channel, line, f1, f2, f3, f4, f5, f6, f7, f8)
  JOIN stored s ON s.file_offset = r.set_offset
  RETURNING 1
)
)sql";

const char* const kAlarmSql = R"sql(
WITH stored AS (
  INSERT INTO tally77.alarms (station_id, file_offset, line, channel, kind, stamp, utc_offset, taken_at)
  SELECT $1, a.file_offset, a.line, a.channel, a.kind, a.stamp, a.utc_offset, to_timestamp(a.epoch)
  FROM unnest($2::bigint[], $3::text[], $4::text[], $5::text[], $6::text[], $7::int[], $8::bigint[])
    AS a(file_offset, line, channel, kind, stamp, utc_offset, epoch)
  ON CONFLICT DO NOTHING
  RETURNING 1
)
)sql";

// Lines that are not what their file should hold, kept whole with the
// reason, from the parameters $first on (offsets, texts, reasons, hexes,
// the file's name). A line text cannot hold comes as the hex of its bytes
// and no text: the bytes are kept as they are, and line shows them in
// PostgreSQL's escape form, which decode(line, 'escape') turns back into the
// same bytes. The statement ends by answering how many rows it stored and
// the offsets of the lines it stored as bytes (a line already held is
// skipped, and is not among them).
std::string OthersAndCount(int first) {
  // '$' as a char: GCC 12 warns falsely of "$" before a temporary string
  // (-Wrestrict, its bug 105329).
  auto parameter = [first](int n) { return '$' + std::to_string(first + n); };
  return ", others AS (\n"
         "  INSERT INTO tally77.other_lines (station_id, file, file_offset, line, reason, bytes)\n"
         "  SELECT $1, " + parameter(4) + ", o.file_offset, coalesce(o.line, encode(decode(o.hex, 'hex'), 'escape')),"
         " o.reason, decode(o.hex, 'hex')\n"
         "  FROM unnest(" + parameter(0) + "::bigint[], " + parameter(1) + "::text[], " + parameter(2) + "::text[], " +
         parameter(3) + "::text[]) AS o(file_offset, line, reason, hex)\n"
         "  ON CONFLICT DO NOTHING\n"
         "  RETURNING file_offset, bytes IS NOT NULL AS as_bytes\n"
         ")\n"
         "SELECT (SELECT count(*) FROM stored) + (SELECT count(*) FROM others),\n"
         "       (SELECT coalesce(string_agg(file_offset::text, ' '), '') FROM others WHERE as_bytes)\n";
}


std::optional<PlacedStamp> Placed(FollowedKind kind, const WholeLine& line, StampOrder& order) {
  const std::optional<LocalStamp> stamp = OrderedStamp(kind, line);
  return stamp ? std::optional(order.Place(*stamp)) : std::nullopt;
}

// A field's text as a number the server reads, NULL when it has no digit.
std::optional<std::string> NumberText(std::string_view field) {
  if (std::none_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  return std::string(field);
}

std::optional<std::string> ChannelOf(double value) {
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<int>::max() / 2) return std::nullopt;
  return std::to_string(std::lrint(value));  // a half goes to the even neighbour
}

// Lines kept in other_lines: offset, text (none when text cannot hold it),
// reason, hex of the bytes (only when text cannot hold them); and what the
// log says about the lines kept as bytes, once the database stored them.
struct OtherColumns {
  std::array<ArrayParameter, 4> columns;
  std::vector<BytesNote> notes;

  void Add(const WholeLine& line, const std::string& reason) {
    columns[0].Add(static_cast<long long>(line.offset));
    columns[1].Add(line.text);
    columns[2].Add(reason);
    columns[3].AddNull();
  }

  // Keeps the start of a line longer than a batch takes, with its length;
  // false for a line read whole.
  bool KeptCut(const WholeLine& line) {
    if (!line.cut()) return false;
    Add(line, "a line of " + std::to_string(line.length - 2) + " bytes, longer than a batch takes: only its first " +
                  std::to_string(line.text.size()) + " are kept");
    return true;
  }

  // Keeps the line as bytes when text cannot hold it; false when it can.
  bool KeptAsBytes(const WholeLine& line, const std::string& fileName) {
    const std::optional<std::string> reason = WhyTextCannotHold(line.text);
    if (!reason) return false;
    columns[0].Add(static_cast<long long>(line.offset));
    columns[1].AddNull();
    columns[2].Add(*reason);
    columns[3].Add(Hex(line.text));
    notes.push_back({line.offset, fileName + ": line at byte " + std::to_string(line.offset) +
                                      " stored in tally77.other_lines: " + *reason});
    return true;
  }

  static std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
      hex.push_back(kDigits[static_cast<unsigned char>(byte) >> 4]);
      hex.push_back(kDigits[static_cast<unsigned char>(byte) & 15]);
    }
    return hex;
  }
};

struct SetColumns {
  std::array<ArrayParameter, 7> sets;       // offset, marker, stamp, utc offset, epoch, type, record
  // Each reading names its set by the set's offset in the file, which is
  // also what tells the stored sets apart: no count to keep in step.
  std::array<ArrayParameter, 12> readings;  // set's offset, slot, channel, line, fields 1-8
  OtherColumns others;
  std::vector<std::string> overWide;

  void AddReadings(const SetLine& set, std::uint64_t setOffset) {
    for (int slot = 1; slot <= kChannelSlots; ++slot) {
      const ChannelSlot& fields = set.slots[slot - 1];
      const Field& first = fields.fields[0];
      const Field& last = fields.fields[fields.fieldCount - 1];
      readings[0].Add(static_cast<long long>(setOffset));
      readings[1].Add(slot);
      readings[2].AddMaybe(ChannelOf(set.Value(slot, 1)));
      readings[3].Add(std::string_view(set.text).substr(first.position, last.position + last.length - first.position));
      for (int field = 1; field <= kMostFields; ++field) {
        readings[3 + field].AddMaybe(field <= fields.fieldCount ? NumberText(set.FieldText(slot, field)) : std::nullopt);
      }
    }
  }

  void AddSet(const WholeLine& line, StampOrder& order) {
    if (others.KeptAsBytes(line, kSetFileName) || others.KeptCut(line)) return;
    const SetLine set = ParseSetLine(line.text);
    // A damaged line whose header holds a date still takes its place in
    // the file's order of stamps.
    const std::optional<PlacedStamp> placed = Placed(FollowedKind::Sets, line, order);
    if (set.damaged() || !placed) {
      others.Add(line, set.reason);
      return;
    }
    sets[0].Add(static_cast<long long>(line.offset));
    sets[1].Add(set.marker);
    sets[2].Add(std::string_view(line.text).substr(kStampStart, kStampDigits));
    sets[3].Add(placed->offset);
    sets[4].Add(static_cast<long long>(placed->Instant()));
    sets[5].Add(std::string_view(TypeName(set.type)));
    sets[6].Add(line.text);
    AddReadings(set, line.offset);
    if (set.overWide) {
      overWide.push_back(std::string(kSetFileName) + ": set at byte " + std::to_string(line.offset) + " " + set.reason);
    }
  }
};

// The station, the columns, then the other lines and the file's name.
Shipment Made(const std::string& sql, int stationId, const std::vector<const ArrayParameter*>& columns,
              OtherColumns& others, const std::string& fileName, std::size_t lines) {
  std::vector<Parameter> parameters{std::to_string(stationId)};
  for (const ArrayParameter* column : columns) parameters.emplace_back(column->Text());
  for (const ArrayParameter& column : others.columns) parameters.emplace_back(column.Text());
  parameters.emplace_back(fileName);
  return Shipment{sql, std::move(parameters), static_cast<int>(lines), std::move(others.notes), {}};
}

}  // namespace

std::optional<std::string> WhyTextCannotHold(std::string_view line) {
  const std::size_t nul = line.find('\0');
  if (nul == std::string_view::npos) return std::nullopt;
  return "NUL byte at character " + std::to_string(nul + 1) + ", which text cannot hold; the line's bytes are in bytes";
}

std::optional<LocalStamp> OrderedStamp(FollowedKind kind, const WholeLine& line) {
  if (line.cut() || WhyTextCannotHold(line.text)) return std::nullopt;
  if (kind == FollowedKind::Alarms) {
    const std::optional<AlarmLine> alarm = ReadAlarmLine(line.text);
    return alarm ? alarm->stamp : std::nullopt;
  }
  LocalStamp stamp;
  return ReadStamp(line.text, stamp) ? std::optional(stamp) : std::nullopt;
}

std::vector<std::string> NotesOfStored(const std::vector<BytesNote>& notes, std::string_view storedOffsets) {
  std::set<std::uint64_t> stored;
  for (const char* at = storedOffsets.data(); at < storedOffsets.data() + storedOffsets.size(); ++at) {
    std::uint64_t offset = 0;
    at = std::from_chars(at, storedOffsets.data() + storedOffsets.size(), offset).ptr;
    stored.insert(offset);
  }
  std::vector<std::string> said;
  for (const BytesNote& note : notes) {
    if (stored.count(note.offset) != 0) said.push_back(note.text);
  }
  return said;
}

Shipment SetShipment(const std::vector<WholeLine>& lines, int stationId, StampOrder& order) {
  static const std::string sql = kSetSql + OthersAndCount(21);
  SetColumns columns;
  for (const WholeLine& line : lines) columns.AddSet(line, order);
  std::vector<const ArrayParameter*> all;
  for (const ArrayParameter& column : columns.sets) all.push_back(&column);
  for (const ArrayParameter& column : columns.readings) all.push_back(&column);
  Shipment shipment = Made(sql, stationId, all, columns.others, kSetFileName, lines.size());
  shipment.warnings = std::move(columns.overWide);
  return shipment;
}

Shipment AlarmShipment(const std::vector<WholeLine>& lines, int stationId, StampOrder& order) {
  static const std::string sql = kAlarmSql + OthersAndCount(9);
  std::array<ArrayParameter, 7> columns;  // offset, line, channel, kind, stamp, utc offset, epoch
  OtherColumns others;
  for (const WholeLine& line : lines) {
    if (others.KeptAsBytes(line, kAlarmLogName) || others.KeptCut(line)) continue;
    const std::optional<AlarmLine> alarm = ReadAlarmLine(line.text);
    const std::optional<PlacedStamp> placed = Placed(FollowedKind::Alarms, line, order);
    columns[0].Add(static_cast<long long>(line.offset));
    columns[1].Add(line.text);
    columns[2].AddMaybe(alarm ? std::optional(alarm->channelText) : std::nullopt);
    columns[3].AddMaybe(alarm ? std::optional(std::string(AlarmKindName(alarm->kind))) : std::nullopt);
    columns[4].AddMaybe(alarm && placed ? std::optional(alarm->stampText) : std::nullopt);
    placed ? columns[5].Add(placed->offset) : columns[5].AddNull();
    placed ? columns[6].Add(static_cast<long long>(placed->Instant())) : columns[6].AddNull();
  }
  std::vector<const ArrayParameter*> all;
  for (const ArrayParameter& column : columns) all.push_back(&column);
  return Made(sql, stationId, all, others, kAlarmLogName, lines.size());
}

Shipment ShipmentOf(FollowedKind kind, const std::vector<WholeLine>& lines, int stationId, StampOrder& order) {
  return kind == FollowedKind::Sets ? SetShipment(lines, stationId, order) : AlarmShipment(lines, stationId, order);
}

}  // namespace tally::forward
