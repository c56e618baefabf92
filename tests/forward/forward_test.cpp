// Captured sets forwarded into the run's PostgreSQL cluster and compared
// field by field with the files: sets captured by tally77-capture from
// tally77-sim over a pseudo-terminal (where the Qt programs are built), and
// long sets captured by the capture core on the test doubles.

#include <sys/stat.h>

#include <cstdio>

#include "faults/fault_run.h"
#include "forward/forward_options.h"
#include "forward/forward_rig.h"
#include "records/set_line.h"

#ifdef TALLY77_SIM_PATH
#include <signal.h>
#include <sys/wait.h>

#include "link/qt/event_loop.h"
#include "link/qt/sim_process.h"
#include "service/service_process.h"
#endif

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

// The local stamp of a header (marker and stamp) as UTC in a zone two hours
// east of it, as YYYYMMDDhhmmss.
std::string UtcOfStationStamp(const std::string& header) {
  LocalStamp local;
  EXPECT_TRUE(ReadStamp(header, local)) << header;
  const LocalStamp utc = LocalStamp::FromSeconds(local.Seconds() - 7200);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", utc.year, utc.month, utc.day, utc.hour, utc.minute,
                utc.second);
  return text;
}

class CapturedSets : public ForwardTest {
 protected:
  // A data directory of that name (its last four characters give the marker).
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
      EXPECT_EQ(sets[i], (std::vector<std::string>{line.substr(0, 4), line.substr(4, 14), type, line,
                                                    std::to_string(offset), "7200", UtcOfStationStamp(line.substr(0, 18))}));
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

  // Every alarm log line whole and taken apart ("03 high MRKLyyyymmddhhmmss").
  void ExpectAlarmsAsWritten(const std::string& file) {
    std::vector<std::string> alarms;
    for (const std::string& line : LinesOf(file)) {
      alarms.insert(alarms.end(), {line, line.substr(0, 2), "high", line.substr(12, 14), "7200"});
    }
    std::vector<std::string> stored;
    for (const auto& row : Query("SELECT line, channel, kind, stamp, utc_offset FROM tally77.alarms ORDER BY id")) {
      stored.insert(stored.end(), row.begin(), row.end());
    }
    EXPECT_FALSE(alarms.empty());
    EXPECT_EQ(stored, alarms);
  }

  const std::vector<std::string> eastOfUtc{"TZ=XST-2"};
};

TEST_F(CapturedSets, OfLongLinesKeepAllEightFieldsAndALatin1Marker) {
  const std::string data = DataDirectory("Z\xE4hl");
  FaultRun run(data);
  run.longBursts = true;
  run.Start();
  run.Set(1);
  run.Set(2);
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output, eastOfUtc), 0) << output;
  EXPECT_EQ(run.Read("fl.db1").substr(0, 4), "Z\xE4hl");
  ExpectSetsAsWritten(run.Read("fl.db1"), "fLII");
  ExpectAlarmsAsWritten(run.Read("alarmlog.txt"));
}

// Channel 8 reads 9999, a digit wider than its field: the set is stored
// with its sixteen readings, and the log says it is over-wide.
// Data directories whose names end alike are stations of their own by
// default; a station the database holds under the earlier default name
// goes on under it for the directory it was shipped from.
TEST_F(CapturedSets, DirectoriesEndingAlikeAreStationsOfTheirOwn) {
  DataDirectory("a");
  DataDirectory("b");
  const std::string a = DataDirectory("a/site1");
  const std::string b = DataDirectory("b/site1");
  FaultRun first(a);
  first.Start();
  first.Set(1);
  std::string output;
  ASSERT_EQ(ForwardOnce(a, output, eastOfUtc, forward::EarlierDefaultStation(a)), 0) << output;
  first.Set(2);
  FaultRun second(b);
  second.Start();
  second.Set(1);
  for (const std::string& directory : {a, b}) ASSERT_EQ(ForwardOnce(directory, output, eastOfUtc, ""), 0) << output;
  EXPECT_EQ(Query("SELECT s.name, count(*) FROM tally77.stations s JOIN tally77.sets t ON t.station_id = s.id"
                  " GROUP BY s.id, s.name ORDER BY s.id"),
            (SqlRows{{forward::EarlierDefaultStation(a), "2"}, {forward::DefaultStation(b), "1"}}));
}

TEST_F(CapturedSets, OverWideKeepsEveryReadingAndIsSaid) {
  const std::string data = DataDirectory("Wide");
  FaultRun run(data);
  run.Start();
  for (int channel = 16; channel >= 1; --channel) {
    if (channel == 8) {
      run.Burst("8,9999,20,300");
    } else {
      run.Line(channel, 1);
    }
  }
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output, eastOfUtc), 0) << output;
  EXPECT_NE(output.find("fl.db1: set at byte 0 over-wide: 325 characters"), std::string::npos) << output;
  std::vector<std::vector<std::string>> expected;
  for (int channel = 1; channel <= 16; ++channel) {
    expected.push_back({std::to_string(channel), channel == 8 ? "9999" : FieldsOf(FaultRun::BurstFor(channel, 1))[1]});
  }
  EXPECT_EQ(Query("SELECT channel, field2::int FROM tally77.readings ORDER BY slot"), expected);
}

#ifdef TALLY77_SIM_PATH
constexpr int kCapturePatience = 60'000;

class CapturedThroughTheSimulator : public CapturedSets {
 protected:
  void SetUp() override {
    CapturedSets::SetUp();
    EnsureApplication();
  }

  // tally77-sim sends the bursts of count sets, channel 3 reading 900, and
  // tally77-capture takes them into data until it has count sets; both end.
  void Capture(const std::string& data, int count) {
    SimProcess sim({"--fast", "--gap", "200", "--bursts", QString::number(16 * count), "--high-channel", "3",
                    "--high-value", "900", "--wait-end", "20000"});
    ASSERT_FALSE(sim.path().empty());
    ServiceProcess capture({"--data-dir", QString::fromStdString(data), "--port", QString::fromStdString(sim.path()),
                            "--sets", QString::number(count), "--interval", "100"},
                           ServiceProcess::Environment({{"TZ", "XST-2"},
                                                        {"XDG_STATE_HOME", QString::fromStdString(dir.dataPath() + "state")}}));
    EXPECT_EQ(capture.WaitForExit(kCapturePatience), 0) << ::testing::PrintToString(capture.Log());
    EXPECT_EQ(sim.WaitForExit(kCapturePatience), 0);
  }
};

TEST_F(CapturedThroughTheSimulator, ThreeSetsAreStoredFieldByFieldThenTwoMoreAlone) {
  const std::string data = DataDirectory("SIMU");
  WriteDefaultSupportFiles(data);
  dir.Write("SIMU/ct.dat", TableWithChannel3Limits("500"));
  Capture(data, 3);
  const std::string firstThree = dir.Read("SIMU/fl.db1");
  ASSERT_EQ(LinesOf(firstThree).size(), 3u);
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output, eastOfUtc), 0) << output;
  ExpectSetsAsWritten(firstThree, "fLI");
  ExpectAlarmsAsWritten(dir.Read("SIMU/alarmlog.txt"));
  const SqlRows before = Query("SELECT id, record, shipped_at FROM tally77.sets ORDER BY id");

  // Two more sets while the forwarder follows.
  const auto forwarder = StartFollowing(data, eastOfUtc);
  Capture(data, 2);
  ASSERT_EQ(LinesOf(dir.Read("SIMU/fl.db1")).size(), 5u);
  EXPECT_TRUE(Eventually([&] { return Count("SELECT count(*) FROM tally77.sets") == 5; })) << forwarder->Output();
  EXPECT_TRUE(Eventually([&] {
    return Count("SELECT count(*) FROM tally77.alarms") == static_cast<long long>(LinesOf(dir.Read("SIMU/alarmlog.txt")).size());
  })) << forwarder->Output();
  EXPECT_TRUE(StopsCleanlyOnSigterm(*forwarder));
  EXPECT_EQ(forwarder->Output().find("already there"), std::string::npos) << forwarder->Output();

  const SqlRows after = Query("SELECT id, record, shipped_at FROM tally77.sets ORDER BY id");
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(SqlRows(after.begin(), after.begin() + 3), before);
  ExpectSetsAsWritten(dir.Read("SIMU/fl.db1"), "fLI");
  ExpectAlarmsAsWritten(dir.Read("SIMU/alarmlog.txt"));
}
#endif

}  // namespace
}  // namespace tally::testing
