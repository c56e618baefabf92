// Many stations at once: 50 forwarders, each on its own data directory of
// 2,000 sets, into the one server. None lost, none doubled; the total time
// goes to the test's output (a figure, not a pass mark).

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "faults/fault_run.h"
#include "forward/forward_rig.h"
#include "records/set_line.h"

namespace tally::testing {
namespace {

constexpr int kStations = 50;
constexpr int kSetsEach = 2000;

// count sets with the body of a captured one and a minute between stamps.
std::string SetsWithBody(const std::string& record, int count) {
  const std::int64_t start = LocalStamp{2026, 1, 1, 0, 0, 0}.Seconds();
  std::string file;
  file.reserve(static_cast<std::size_t>(count) * (record.size() + 2));
  for (int i = 0; i < count; ++i) {
    const LocalStamp s = LocalStamp::FromSeconds(start + 60 * i);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", s.year, s.month, s.day, s.hour, s.minute,
                  s.second);
    file += record.substr(0, 4) + stamp + record.substr(18) + "\r\n";
  }
  return file;
}

TEST_F(ForwardTest, FiftyForwardersIntoOneServerLoseAndDoubleNothing) {
  const std::string sets = SetsWithBody(LinesOf(ControlFile(1, "fl.db1")).at(0), kSetsEach);
  std::vector<std::unique_ptr<ChildProcess>> forwarders;
  for (int station = 1; station <= kStations; ++station) {
    const std::string data = dir.dataPath() + "L" + std::to_string(station);
    std::filesystem::create_directory(data);
    std::ofstream(data + "/fl.db1", std::ios::binary) << sets;
  }
  const auto began = std::chrono::steady_clock::now();
  for (int station = 1; station <= kStations; ++station) {
    const std::string name = "L" + std::to_string(station);
    forwarders.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{TALLY77_FORWARD_PATH, "--data-dir", dir.dataPath() + name, "--db",
                                 ForwardConninfo(), "--station", name, "--once"},
        dir.dataPath() + name + ".log"));
  }
  for (const auto& forwarder : forwarders) {
    const std::optional<int> status = forwarder->Wait(240'000);
    ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << forwarder->Output();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::printf("%d forwarders x %d sets: %.1f s in all, %.0f sets/s\n", kStations, kSetsEach, seconds,
              kStations * kSetsEach / seconds);
  RecordProperty("total_seconds", std::to_string(seconds));

  const SqlRows perStation = Query(
      "SELECT count(*), count(DISTINCT stamp), min(stamp), max(stamp) FROM tally77.sets GROUP BY station_id");
  ASSERT_EQ(perStation.size(), static_cast<std::size_t>(kStations));
  for (const auto& row : perStation) {
    EXPECT_EQ(row, (std::vector<std::string>{"2000", "2000", "20260101000000", "20260102091900"}));
  }
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.readings"), 16LL * kStations * kSetsEach);
}

}  // namespace
}  // namespace tally::testing
