// A process killed outright (SIGKILL: no handler, no destructor, no flush
// of its own) the moment the window says a set is good, or that a set is
// kept: the set is already whole on disk, or in the journal, and the next
// start appends after it, or writes the kept sets first.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/data_file_writes.h"
#include "faults/fault_run.h"

namespace tally::testing {
namespace {

namespace fs = std::filesystem;

// Kills its own process when the indicator shows the caption for the given
// time.
class KillingSurface : public RecordingSurface {
 public:
  KillingSurface(std::string caption, int killAt) : caption_(std::move(caption)), killAt_(killAt) {}
  void SetCaption(Caption label, const std::string& caption) override {
    RecordingSurface::SetCaption(label, caption);
    if (label == Caption::Label1 && caption == caption_ && ++shown_ == killAt_) std::raise(SIGKILL);
  }

 private:
  std::string caption_;
  int killAt_;
  int shown_ = 0;
};

// Runs body in a child process. Gives the child's wait status.
template <class Body>
int RunChild(Body body) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    body();
    ::_exit(3);  // not reached when the kill works
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  return status;
}

// Sets run in a child process that is killed when the second set is
// reported good.
int RunChildKilledAtSecondSet(const std::string& directory) {
  return RunChild([&] {
    KillingSurface surface("We have a good reading ", 2);
    FaultRun run(directory, &surface);
    run.Start();
    for (int set = 1; set <= 3; ++set) run.Set(set);
  });
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

// The kept writes' journals in folder (notes of appends lie beside them).
std::vector<std::string> JournalsIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".journal") names.push_back(entry.path().string());
  }
  return names;
}

TEST(KilledProcessFaults, SetsKeptAtAKillAreWrittenOnceAtTheNextStart) {
  TempDir dir;
  TempDir journalFolder;
  const std::string directory = DataDirectoryIn(dir);
  TmpfsMount mount;
  const std::string refused = mount.Mount(directory, "1m");
  if (!refused.empty()) GTEST_SKIP() << "a read-only file system needs a tmpfs mount: " << refused;

  // The directory refuses writes from the first set on; the child is
  // killed when the second set is shown as kept.
  const int status = RunChild([&] {
    KillingSurface surface("Set kept, not yet written", 2);
    FaultRun run(directory, &surface);
    StartKeptWritesJournal(run.context, journalFolder.path());
    run.Start();
    if (!mount.SetReadOnly(true).empty()) ::_exit(4);
    for (int set = 1; set <= 3; ++set) run.Set(set);
  });
  ASSERT_TRUE(WIFSIGNALED(status)) << "child status " << status;
  ASSERT_EQ(WTERMSIG(status), SIGKILL);
  const std::vector<std::string> journals = JournalsIn(journalFolder.path());
  ASSERT_EQ(journals.size(), 1u);

  // Started again while the directory still refuses: the journal is named
  // and kept.
  {
    FaultRun waiting(directory);
    StartKeptWritesJournal(waiting.context, journalFolder.path());
    EXPECT_EQ(waiting.surface.list2.front(), "Kept lines of an earlier run found in " + journals[0]);
    EXPECT_TRUE(waiting.Listed({"Kept lines still wait: ", "fl.db1", "Read-only file system"}))
        << ::testing::PrintToString(waiting.surface.list2);
  }
  EXPECT_EQ(JournalsIn(journalFolder.path()), journals);

  // Started with the directory writable: both sets, once, in order.
  ASSERT_EQ(mount.SetReadOnly(false), "");
  FaultRun next(directory);
  StartKeptWritesJournal(next.context, journalFolder.path());
  EXPECT_EQ(next.surface.list2,
            (std::vector<std::string>{"Kept lines of an earlier run found in " + journals[0],
                                      "14:30:15 Kept lines written: fl.db1, ct.cap, usage.cap, ferro2.cap, alarmlog.txt"}));
  EXPECT_EQ(next.Files(), ControlFiles(2));
  EXPECT_EQ(JournalsIn(journalFolder.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace tally::testing
