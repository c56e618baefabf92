// Sets captured by the capture core, forwarded into the run's PostgreSQL
// cluster and compared field by field with the files.

#include <sys/stat.h>

#include "faults/fault_run.h"
#include "forward/forward_rig.h"

namespace tally::testing {
namespace {

// The fields of a reading line, split at the commas.
std::vector<std::string> FieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  for (std::size_t from = 0;; ) {
    const std::size_t comma = line.find(',', from);
    fields.push_back(line.substr(from, comma - from));
    if (comma == std::string::npos) return fields;
    from = comma + 1;
  }
}

class CapturedSets : public ForwardTest {
 protected:
  // A data directory whose name gives a marker with a Latin-1 byte.
  std::string DataDirectory(const std::string& name) {
    const std::string path = dir.dataPath() + name;
    mkdir(path.c_str(), 0755);
    return path;
  }

  // Every column of every set and reading against the lines of fl.db1; the
  // station's zone is two hours east of UTC.
  void ExpectSetsAsWritten(const std::string& file, const std::string& type) {
    const std::vector<std::string> lines = LinesOf(file);
    const SqlRows sets = Query(
        "SELECT marker, stamp, processor_type, record, file_offset, utc_offset,"
        " to_char(taken_at AT TIME ZONE 'UTC', 'YYYYMMDDHH24MISS') FROM tally77.sets ORDER BY file_offset");
    const SqlRows readings = Query(
        "SELECT slot, channel, line, field1, field2, field3, field4, field5, field6, field7, field8"
        " FROM tally77.readings r JOIN tally77.sets s ON s.id = r.set_id ORDER BY s.file_offset, slot");
    ASSERT_EQ(sets.size(), lines.size());
    ASSERT_EQ(readings.size(), 16 * lines.size());
    const std::size_t width = type == "fLI" ? 19 : 41;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      std::string utc = line.substr(4, 14);
      utc.replace(8, 2, std::to_string(std::stoi(utc.substr(8, 2)) - 2));
      EXPECT_EQ(sets[i], (std::vector<std::string>{line.substr(0, 4), line.substr(4, 14), type, line,
                                                    std::to_string(offset), "7200", utc}));
      offset += line.size() + 2;
      for (int slot = 1; slot <= 16; ++slot) {
        const std::vector<std::string>& row = readings[i * 16 + slot - 1];
        const std::string text = line.substr(18 + (slot - 1) * width + 1, width - 1);
        const std::vector<std::string> fields = FieldsOf(text);
        EXPECT_EQ(row[0], std::to_string(slot));
        EXPECT_EQ(row[1], std::to_string(std::stoi(fields[0])));
        EXPECT_EQ(row[2], text);
        for (std::size_t field = 0; field < 8; ++field) {
          if (field < fields.size()) {
            EXPECT_EQ(std::stod(row[3 + field]), std::stod(fields[field])) << text;
          } else {
            EXPECT_EQ(row[3 + field], "<null>");
          }
        }
      }
    }
  }

  const std::vector<std::string> eastOfUtc{"TZ=XST-2"};
};

TEST_F(CapturedSets, AreStoredFieldByFieldAndLaterOnesAlone) {
  const std::string data = DataDirectory("Z\xE4hl");
  FaultRun run(data);
  run.Start();
  for (int set = 1; set <= 3; ++set) run.Set(set);
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output, eastOfUtc), 0) << output;
  EXPECT_EQ(run.Read("fl.db1").substr(0, 4), "Z\xE4hl");
  ExpectSetsAsWritten(run.Read("fl.db1"), "fLI");

  std::vector<std::string> alarms;
  for (const std::string& line : LinesOf(run.Read("alarmlog.txt"))) {
    alarms.insert(alarms.end(), {line, line.substr(0, 2), "high", line.substr(12, 14), "7200"});
  }
  std::vector<std::string> stored;
  for (const auto& row : Query("SELECT line, channel, kind, stamp, utc_offset FROM tally77.alarms ORDER BY id")) {
    stored.insert(stored.end(), row.begin(), row.end());
  }
  EXPECT_FALSE(alarms.empty());
  EXPECT_EQ(stored, alarms);

  run.Set(4);
  run.Set(5);
  ASSERT_EQ(ForwardOnce(data, output, eastOfUtc), 0) << output;
  EXPECT_NE(output.find("fl.db1: 2 of 2 lines stored"), std::string::npos) << output;
  ExpectSetsAsWritten(run.Read("fl.db1"), "fLI");
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.alarms"), static_cast<long long>(LinesOf(run.Read("alarmlog.txt")).size()));
}

TEST_F(CapturedSets, OfLongLinesKeepAllEightFields) {
  const std::string data = DataDirectory("MTR2");
  FaultRun run(data);
  run.longBursts = true;
  run.Start();
  run.Set(1);
  run.Set(2);
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output, eastOfUtc), 0) << output;
  ExpectSetsAsWritten(run.Read("fl.db1"), "fLII");
}

}  // namespace
}  // namespace tally::testing
