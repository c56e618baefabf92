// A process killed outright (SIGKILL: no handler, no destructor, no flush
// of its own) the moment the window says a set is good: the set is already
// whole on disk, and the next start appends after it.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "faults/fault_run.h"

namespace tally {
namespace {

namespace fs = std::filesystem;
using testing::ControlFile;
using testing::ControlFiles;
using testing::DataDirectoryIn;
using testing::FaultRun;
using testing::LinesOf;
using testing::RecordingSurface;
using testing::TempDir;

// Kills its own process when the indicator says "We have a good reading "
// for the given time.
class KillingSurface : public RecordingSurface {
 public:
  explicit KillingSurface(int killAt) : killAt_(killAt) {}
  void SetCaption(Caption label, const std::string& caption) override {
    RecordingSurface::SetCaption(label, caption);
    if (label == Caption::Label1 && caption == "We have a good reading " && ++goodReadings_ == killAt_) {
      std::raise(SIGKILL);
    }
  }

 private:
  int killAt_;
  int goodReadings_ = 0;
};

// Runs sets in a child process that is killed when the second set is
// reported good. Gives the child's wait status.
int RunChildKilledAtSecondSet(const std::string& directory) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    KillingSurface surface(2);
    FaultRun run(directory, &surface);
    run.Start();
    for (int set = 1; set <= 3; ++set) run.Set(set);
    ::_exit(3);  // not reached when the kill works
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return status;
}

TEST(KilledProcessFaults, ASetReportedGoodIsWholeOnDiskAndTheNextStartAppendsAfterIt) {
  TempDir dir;
  const std::string directory = DataDirectoryIn(dir);

  const int status = RunChildKilledAtSecondSet(directory);
  ASSERT_TRUE(WIFSIGNALED(status)) << "child status " << status;
  ASSERT_EQ(WTERMSIG(status), SIGKILL);

  FaultRun next(directory);
  EXPECT_EQ(next.Files(), ControlFiles(2));  // both sets, byte for byte
  for (const auto& entry : fs::directory_iterator(directory)) {
    EXPECT_EQ(entry.path().filename().string().find(".new"), std::string::npos) << entry.path();
  }

  next.Start();
  next.Set(3);
  const std::vector<std::string> records = LinesOf(next.Read("fl.db1"));
  const std::vector<std::string> control = LinesOf(ControlFile(2, "fl.db1"));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0], control[0]);
  EXPECT_EQ(records[1], control[1]);
  EXPECT_EQ(records[2], next.context.state.sortedRecord);
}

}  // namespace
}  // namespace tally
