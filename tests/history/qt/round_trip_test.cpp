// A simulated run of 100 sets, exported as CSV and read back: every value
// the simulator sent, channel by channel.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "burst_plan.h"
#include "doubles/temp_dir.h"
#include "faults/fault_run.h"
#include "history/export_run.h"

namespace tally::history {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

TEST(RoundTripTest, TheCsvExportGivesBackEverySentValue) {
  testing::TempDir dir;
  const std::string directory = dir.dataPath() + testing::kDataDirectoryName;
  std::filesystem::create_directory(directory);
  testing::FaultRun run(directory);
  run.Start("1000");
  run.time.SetClock({2026, 12, 6, 8, 0, 0});

  constexpr int kSets = 100;
  sim::SimOptions simulator;
  // sent[set time]["channel"] = the rest of the burst as sent.
  std::map<std::string, std::map<std::string, std::string>> sent;
  int reading = 0;
  for (int set = 0; set < kSets; ++set) {
    std::string burst;
    for (const int channel : sim::ChannelOrder("shuffle", 7, set)) {
      burst = sim::ReadingBurst(simulator, ++reading, channel);
      run.Burst(burst);
      const std::size_t comma = burst.find(',');
      // The set's stamp is the clock at its 16th line; filled in below.
      sent["pending"][burst.substr(0, comma)] = burst.substr(comma + 1);
    }
    const LocalDateTime now = run.time.Now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "2026-12-06T%02d:%02d:%02d+01:00", now.hour, now.minute, now.second);
    sent[stamp] = sent["pending"];
    sent.erase("pending");
  }

  HistoryOptions options;
  options.dataDirectory = directory;
  std::ostringstream csv;
  std::ostringstream errors;
  ASSERT_EQ(RunExport(options, ZoneRules(3600), csv, errors), 0);
  EXPECT_EQ(errors.str(), "");

  std::map<std::string, std::map<std::string, std::string>> exported;
  std::vector<std::string> lines = Split(csv.str(), '\n');
  ASSERT_EQ(lines.back(), "");  // after the last line end
  lines.pop_back();
  ASSERT_EQ(lines.size(), 1u + kSets * 16u);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].back(), '\r');
    const std::vector<std::string> columns = Split(lines[i].substr(0, lines[i].size() - 1), ',');
    ASSERT_EQ(columns.size(), 12u) << lines[i];
    EXPECT_EQ(columns[3], "fLI");
    std::string& fields = exported[columns[0]][columns[4]];
    fields = columns[5] + "," + columns[6] + "," + columns[7];
  }
  EXPECT_EQ(exported, sent);
}

}  // namespace
}  // namespace tally::history
