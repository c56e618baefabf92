// The forwarder's parts that need no server: the command line, batches of
// whole lines, the check of a stored position, array
// parameters, the pauses while the database is away, which failures end
// the run.

#include <gtest/gtest.h>

#include <filesystem>

#include "doubles/temp_dir.h"
#include "forward/array_parameter.h"
#include "forward/database.h"
#include "forward/file_position.h"
#include "forward/forward_options.h"
#include "forward/outage.h"
#include "forward/shipment.h"
#include "records/file_follower.h"

namespace tally::forward {
namespace {

TEST(ForwardOptions, CommandLinesAndTheirFaults) {
  struct Case {
    std::vector<std::string> arguments;
    std::string failure;  // "" when it parses
  } cases[] = {
      {{"--data-dir", "/srv/MTR1", "--db", "dbname=x"}, ""},
      {{"--migrate", "--db", "dbname=x"}, ""},
      {{"--db", "dbname=x"}, "--data-dir is missing"},
      {{"--data-dir"}, "--data-dir needs a value"},
      {{"--data-dir", "/srv/MTR1", "--verbose"}, "unknown argument \"--verbose\""},
      {{"--data-dir", "/srv/MTR1", "--once", "--wait", "0"}, "--wait takes whole seconds from 1 on, not \"0\""},
      {{"--data-dir", "-x"}, "\"-x\" is an option, not a path"},
      {{"--data-dir", "/srv/MTR1", "--tz", "Europe/Berlin"}, ""},
      {{"--data-dir", "/srv/MTR1", "--tz", "Mars/Olympus"}, "unknown time zone Mars/Olympus"},
  };
  for (const Case& c : cases) {
    const Outcome<ForwardOptions> parsed = ParseForwardOptions(c.arguments);
    EXPECT_EQ(parsed.ok() ? "" : parsed.failure().message, c.failure) << c.arguments.front();
  }
  const Outcome<ForwardOptions> parsed = ParseForwardOptions({"--data-dir", "/srv/MTR1", "--once"});
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed.value().dataDirectory, "/srv/MTR1/");
  EXPECT_TRUE(parsed.value().once);
  EXPECT_EQ(parsed.value().station, DefaultStation("/srv/MTR1/"));
  EXPECT_EQ(parsed.value().earlierStation, EarlierDefaultStation("/srv/MTR1/"));
}

TEST(ForwardOptions, EachDataDirectoryHasADefaultStationOfItsOwn) {
  struct Case {
    std::string one, other;
    bool same;
  } cases[] = {
      {"/srv/a/site1/", "/srv/b/site1/", false},  // names ending alike
      {"/srv/a/site1/", "/srv/a/site2/", false},
      {"/srv/a/site1", "/srv/a/./site1/", true},  // one directory written two ways
      {"site1", std::filesystem::current_path().string() + "/site1/", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultStation(c.one) == DefaultStation(c.other), c.same) << c.one << " and " << c.other;
  }
  EXPECT_EQ(DefaultStation("/srv/a/site1/").substr(DefaultStation("/srv/a/site1/").find(':')), ":/srv/a/site1/");
}

TEST(LineBatch, TakesWholeLinesUpToTheLimitAndLeavesAHalfLine) {
  testing::TempDir dir;
  dir.Write("fl.db1", "one\r\ntwo\r\nhalf");
  const std::string path = dir.dataPath() + "fl.db1";
  const Outcome<LineBatch> all = ReadLineBatch(path, {}, {});
  ASSERT_TRUE(all.ok());
  ASSERT_EQ(all.value().lines.size(), 2u);
  EXPECT_EQ(all.value().lines[1].offset, 5u);
  EXPECT_EQ(all.value().lines[1].text, "two");
  EXPECT_EQ(all.value().end.offset, 10u);
  EXPECT_EQ(all.value().end.lineHash, LineHash("two\r\n"));

  const Outcome<LineBatch> first = ReadLineBatch(path, {}, {1, 1024});
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(first.value().lines.size(), 1u);
  const Outcome<LineBatch> rest = ReadLineBatch(path, first.value().end, {});
  ASSERT_TRUE(rest.ok());
  ASSERT_EQ(rest.value().lines.size(), 1u);
  EXPECT_EQ(rest.value().lines[0].text, "two");
  EXPECT_TRUE(ReadLineBatch(dir.dataPath() + "missing", {}, {}).value().lines.empty());
}

TEST(FilePosition, HoldsShrankOrDiffers) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "fl.db1";
  dir.Write("fl.db1", "one\r\ntwo\r\n");
  const FilePosition shipped = ReadLineBatch(path, {}, {}).value().end;
  struct Case {
    std::string content;
    PositionCheck check;
  } cases[] = {
      {"one\r\ntwo\r\nthree\r\n", PositionCheck::Holds},
      {"one\r\n", PositionCheck::Shrank},
      {"one\r\nTWO\r\nthree\r\n", PositionCheck::Differs},
  };
  for (const Case& c : cases) {
    dir.Write("fl.db1", c.content);
    EXPECT_EQ(CheckPosition(path, shipped), c.check) << c.content;
  }
  EXPECT_EQ(PositionTrouble(PositionCheck::Shrank, "fl.db1", 10),
            "fl.db1 is shorter than the 10 bytes already shipped: reading it again from the start; sets already "
            "stored are skipped");
}

TEST(ArrayParameter, QuotesEveryElementAndWritesNull) {
  ArrayParameter column;
  column.Add(std::string_view("a\"b\\c"));
  column.AddNull();
  column.Add(42);
  column.Add(std::string_view("\xE4 , {}"));
  EXPECT_EQ(column.Text(), "{\"a\\\"b\\\\c\",NULL,\"42\",\"\xE4 , {}\"}");
}

// Only what waiting cannot mend ends the run; every other failure is waited out.
TEST(DatabaseFailure, OnlyRefusalsThatWaitingCannotMendArePermanent) {
  const struct {
    const char* state;
    bool permanent;
  } cases[] = {
      {"28P01", true},  {"28000", true},  {"3D000", true},  {"3F000", true},  {"42501", true},
      {"42P01", true},  {"42703", true},  {"22P05", true},  {"22021", true},  {"57014", false},
      {"55P03", false}, {"53100", false}, {"53200", false}, {"25006", false}, {"58030", false},
      {"58P01", false}, {"08006", false}, {"57P01", false}, {"40001", false}, {"XX000", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FailureCodeOf(c.state), c.permanent ? FailureCode::DatabaseRefused : FailureCode::DatabaseUnreachable)
        << c.state;
  }
}

TEST(Outage, PausesDoubleUpToAMinuteAndTheWaitIsSaidOnceEachWay) {
  Outage outage;
  long long now = 1000;  // seconds on a simulated clock
  std::vector<int> pauses;
  std::vector<std::string> said;
  for (int attempt = 1; attempt <= 10; ++attempt) {
    if (const auto line = outage.Failed("no server", now)) said.push_back(*line);
    pauses.push_back(outage.NextPauseMs());
    now += pauses.back() / 1000;
  }
  if (const auto line = outage.Reached(now)) said.push_back(*line);
  EXPECT_EQ(pauses, (std::vector<int>{500, 1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
  EXPECT_EQ(said, (std::vector<std::string>{
                      "database unreachable (no server); trying again with growing pauses of up to 60 s, the files "
                      "keep what waits",
                      "database reachable again after 243 s: catching up"}));
  // Reached without a wait says nothing; the next wait starts over.
  EXPECT_EQ(outage.Reached(now), std::nullopt);
  EXPECT_TRUE(outage.Failed("again", now).has_value());
  EXPECT_EQ(outage.NextPauseMs(), 500);
}

}  // namespace
}  // namespace tally::forward
