// The export of sets: CSV and JSON Lines byte for byte, the choice of time
// range and channels, damaged lines, and the command line that asks for it.

#include "history/set_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "history/export_run.h"
#include "history/history_options.h"
#include "history_sets.h"

namespace tally::history {
namespace {

using testing::CaptureRun;
using testing::WriteSet;

const ZoneRules kCet(3600);

class SetExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSet(rig, 1, "20261206143015", false, "A,\xE9 ");
    std::ofstream(rig.dir.dataPath() + "fl.db1", std::ios::binary | std::ios::app) << "junk\r\n";
    WriteSet(rig, 2, "20261206143120", true, "AB12");
    options.dataDirectory = rig.dir.path();
    options.action = HistoryOptions::Action::Export;
    options.choice.allChannels = false;
    options.choice.channels.set(2).set(16);
  }
  std::string Export(ExportFormat format) {
    options.format = format;
    std::ostringstream out;
    std::ostringstream errors;
    EXPECT_EQ(RunExport(options, kCet, out, errors), 0);
    notes = errors.str();
    return out.str();
  }

  CaptureRun rig;
  HistoryOptions options;
  std::string notes;
};

const std::string kDamage = "wrong length: 4 characters, not 324 (fLI) or 676 (fLII)";

TEST_F(SetExportTest, CsvHasOneRowPerSetAndChosenChannel) {
  EXPECT_EQ(Export(ExportFormat::Csv),
            "time,dst,marker,type,channel,field2,field3,field4,field5,field6,field7,field8\r\n"
            "2026-12-06T14:30:15+01:00,,\"A,\xC3\xA9 \",fLI,2,9,201,300,,,,\r\n"
            "2026-12-06T14:30:15+01:00,,\"A,\xC3\xA9 \",fLI,16,23,1601,300,,,,\r\n"
            "2026-12-06T14:31:20+01:00,,AB12,fLII,2,16,202,300,7,99999,2,12000\r\n"
            "2026-12-06T14:31:20+01:00,,AB12,fLII,16,30,1602,300,7,99999,2,12000\r\n");
  EXPECT_EQ(notes, "line 2: " + kDamage + "\n1 damaged line left out of the export\n");
}

TEST_F(SetExportTest, JsonHasOneObjectPerSetAndPerDamagedLine) {
  EXPECT_EQ(
      Export(ExportFormat::JsonLines),
      "{\"time\":\"2026-12-06T14:30:15+01:00\",\"dst\":\"\",\"marker\":\"A,\xC3\xA9 \",\"type\":\"fLI\","
      "\"channels\":[{\"channel\":2,\"fields\":[9,201,300]},{\"channel\":16,\"fields\":[23,1601,300]}]}\n"
      "{\"line\":2,\"damaged\":\"" +
          kDamage +
          "\"}\n"
          "{\"time\":\"2026-12-06T14:31:20+01:00\",\"dst\":\"\",\"marker\":\"AB12\",\"type\":\"fLII\","
          "\"channels\":[{\"channel\":2,\"fields\":[16,202,300,7,99999,2,12000]},"
          "{\"channel\":16,\"fields\":[30,1602,300,7,99999,2,12000]}]}\n");
  EXPECT_EQ(notes, "");
}

TEST_F(SetExportTest, TheTimeRangeIncludesBothEnds) {
  struct Range {
    const char* from;
    const char* to;
    std::size_t rows;  // CSV rows after the header
  };
  for (const Range& range :
       {Range{"2026-12-06", "2026-12-06", 4}, Range{"2026-12-06T14:31:20", "", 2},
        Range{"", "2026-12-06T14:30:15", 2}, Range{"2026-12-07", "", 0}, Range{"", "2026-12-06T14:30", 2},
        Range{"", "2026-12-06T14:29", 0}}) {
    SCOPED_TRACE(std::string(range.from) + " to " + range.to);
    std::string error;
    options.choice.from = *range.from ? ReadLocalBound(range.from, false, error) : std::nullopt;
    options.choice.to = *range.to ? ReadLocalBound(range.to, true, error) : std::nullopt;
    const std::string csv = Export(ExportFormat::Csv);
    EXPECT_EQ(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')), range.rows + 1);
    // The damaged line has no stamp, so no range leaves it out.
    EXPECT_NE(notes.find("line 2: "), std::string::npos);
  }
}

// A file that cannot be read whole gives no export, rather than one that
// looks complete.
TEST_F(SetExportTest, AMissingOrUnreadableFileIsAFault) {
  const std::string unreadable = rig.dir.dataPath() + "unreadable";
  std::filesystem::create_directories(unreadable + "/fl.db1/inside");  // opens, but cannot be read
  const struct {
    std::string directory;
    std::string error;
    int status;
  } cases[] = {
      {rig.dir.dataPath() + "nowhere", "cannot open " + rig.dir.dataPath() + "nowhere/fl.db1: no such file", 66},
      {unreadable, "cannot read " + unreadable + "/fl.db1 at byte 0: Is a directory", 74},
  };
  for (const auto& c : cases) {
    options.dataDirectory = c.directory;
    std::ostringstream out;
    std::ostringstream errors;
    EXPECT_EQ(RunExport(options, kCet, out, errors), c.status);
    EXPECT_EQ(errors.str(), "tally77-history: " + c.error + "\n");
    EXPECT_EQ(out.str(), "");
  }
}

// An export cut short by a full disk is a fault a script sees.
TEST_F(SetExportTest, AnOutputThatCannotBeWrittenIsAFault) {
  std::ofstream full("/dev/full", std::ios::binary);
  if (!full) GTEST_SKIP() << "no /dev/full";
  std::ostringstream errors;
  EXPECT_EQ(RunExport(options, kCet, full, errors), 74);
  EXPECT_NE(errors.str().find("tally77-history: cannot write the export: No space left on device\n"),
            std::string::npos)
      << errors.str();
}

TEST(HistoryOptionsTest, CommandLines) {
  struct Case {
    std::vector<std::string> arguments;
    std::string message;  // "" when the line is taken
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{"/data"}, ""},
      {{"--export", "csv", "--from", "2026-12-01", "--to", "2026-12-31", "--channels", "1-4,7,9-16", "/d"},
       ""},
      {{"--export", "xml", "/d"}, "--export takes csv or json, not xml"},
      {{"--export", "csv"}, "--export needs a data directory"},
      {{"--from", "2026-12-01", "/d"}, "--from, --to and --channels go with --export"},
      {{"--export", "csv", "--from", "2026-13-01", "/d"},
       "--from: \"2026-13-01\" is not a local date (yyyy-mm-dd) or date and time (yyyy-mm-ddThh:mm[:ss])"},
      {{"--export", "csv", "--to", "2026-02-30", "/d"},
       "--to: \"2026-02-30\" is not a local date (yyyy-mm-dd) or date and time (yyyy-mm-ddThh:mm[:ss])"},
      {{"--export", "csv", "--from", "2026-12-02", "--to", "2026-12-01T23:59", "/d"},
       "--from 2026-12-02 is later than --to 2026-12-01T23:59"},
      {{"--export", "csv", "--channels", "1-17", "/d"},
       "--channels: \"1-17\" is not a channel from 1 to 16 or a range such as 1-4"},
      {{"--export", "csv", "--channels", "3,x", "/d"},
       "--channels: \"x\" is not a channel from 1 to 16 or a range such as 1-4"},
      {{"--export", "csv", "--channels", "5-2", "/d"},
       "--channels: \"5-2\" is not a channel from 1 to 16 or a range such as 1-4"},
      {{"--tz"}, "--tz needs a value"},
      {{"--colour", "red"}, "unknown option --colour"},
      {{"/a", "/b"}, "more than one data directory: /b"},
      {{"-x"}, "unknown option -x"},
  };
  for (const Case& c : cases) {
    const ParsedHistoryOptions parsed = ParseHistoryOptions(c.arguments);
    EXPECT_EQ(parsed.message, c.message);
    EXPECT_EQ(parsed.options.has_value(), c.message.empty());
  }
  const ParsedHistoryOptions full = ParseHistoryOptions(cases[2].arguments);
  EXPECT_EQ(full.options->action, HistoryOptions::Action::Export);
  EXPECT_EQ(full.options->choice.channels.to_string(), "11111111010011110");  // 16 down to 0
  EXPECT_EQ(full.options->choice.from->Iso(), "2026-12-01T00:00:00");
  EXPECT_EQ(full.options->choice.to->Iso(), "2026-12-31T23:59:59");
}

}  // namespace
}  // namespace tally::history
