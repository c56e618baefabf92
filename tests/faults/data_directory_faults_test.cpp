// A data directory that stops taking writes during a run, by faults that
// hold for root as well: a tmpfs remounted read-only, a full file system, a
// directory replaced by a file or taken away. Every completed set ends up
// in the files exactly once, in order.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "common/path_text.h"
#include "doubles/scoped_variable.h"
#include "faults/fault_run.h"
#include "link/port_selection.h"

namespace tally::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFliRecordBytes = 326;  // 324 characters and CR LF

// The indicator after a set the directory did not take, and after the
// kept writes were made.
void ExpectSetKeptShown(const FaultRun& run) {
  EXPECT_EQ(run.surface.indicatorColour, kRed);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "Set kept, not yet written");
}

void ExpectGoodAgain(const FaultRun& run) {
  EXPECT_TRUE(run.context.keptWrites.empty());
  EXPECT_EQ(run.surface.indicatorColour, kGreen);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "We have a good reading ");
  EXPECT_TRUE(run.Listed({"Kept lines written: ", "alarmlog.txt", "fl.db1", "ct.cap", "usage.cap", "ferro2.cap"}))
      << ::testing::PrintToString(run.surface.list2);
}

TEST(DataDirectoryFaults, ReadOnlyDirectoryKeepsTheSetsUntilItIsWritableAgain) {
  TempDir dir;
  const std::string directory = DataDirectoryIn(dir);
  TmpfsMount mount;
  const std::string refused = mount.Mount(directory, "1m");
  if (!refused.empty()) GTEST_SKIP() << "a read-only file system needs a tmpfs mount: " << refused;

  FaultRun run(directory);
  run.Start();
  run.Set(1);
  ASSERT_EQ(mount.SetReadOnly(true), "");
  run.Set(2);
  ExpectSetKeptShown(run);
  run.Set(3);
  EXPECT_EQ(run.context.state.obsCount, 3);  // kept sets count: they are not lost
  EXPECT_EQ(run.Read("fl.db1").size(), kFliRecordBytes);
  EXPECT_TRUE(run.Listed({"Set 2 not written: ", "fl.db1", "Read-only file system",
                          "kept until the directory takes writes"}));
  EXPECT_TRUE(run.Listed({"Set 3 not written: ", "fl.db1", "earlier lines still wait"}) ||
              run.Listed({"Set 3 not written: ", "fl.db1", "Read-only file system"}));
  EXPECT_EQ(run.CountListed("Alarm log not written: "), 1);
  // The scratch file is named once; the readings go on in memory.
  EXPECT_EQ(run.CountListed("cannot use cp.txt: "), 1);
  EXPECT_TRUE(run.Listed({"cp.txt", "Read-only file system", "readings are decoded in memory"}));
  EXPECT_EQ(run.surface.list1.size(), 1u + 3u * 16u);

  ASSERT_EQ(mount.SetReadOnly(false), "");
  run.Line(16, 4);  // the first line of the next set makes the kept writes
  ExpectGoodAgain(run);
  run.Set(4, 15);
  EXPECT_EQ(run.Files(), ControlFiles(4));
}

TEST(DataDirectoryFaults, FullFileSystemKeepsTheSetsUntilThereIsRoomAgain) {
  TempDir dir;
  const std::string directory = DataDirectoryIn(dir);
  TmpfsMount mount;
  const std::string refused = mount.Mount(directory, "256k");
  if (!refused.empty()) GTEST_SKIP() << "a small file system to fill needs a tmpfs mount: " << refused;

  FaultRun run(directory);
  run.Start();
  const std::string filler = FillUp(directory);
  run.Set(1);
  run.Set(2);
  ExpectSetKeptShown(run);
  EXPECT_TRUE(run.Listed({"Set 1 not written: ", "fl.db1", "No space left on device"}));
  EXPECT_TRUE(run.Listed({"Set 2 not written: ", "fl.db1"}));
  // Nothing half written is left behind: no record, no temporary file.
  EXPECT_EQ(run.Read("fl.db1"), "");
  for (const auto& entry : fs::directory_iterator(directory)) {
    EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos) << entry.path();
  }

  fs::remove(filler);
  run.Set(3);
  ExpectGoodAgain(run);
  EXPECT_EQ(run.Files(), ControlFiles(3));
}

// When the kept lines are written at last, only the red "Set kept, not yet
// written" turns green: a message shown since then stays.
TEST(DataDirectoryFaults, OnlyTheKeptSetMessageTurnsGreenWhenTheLinesAreWritten) {
  const struct {
    const char* what;
    std::function<void(FaultRun&)> between;
    const char* message;
    std::uint32_t colour;
  } cases[] = {
      {"nothing shown since", [](FaultRun&) {}, "We have a good reading ", kGreen},
      {"Com2 pressed and failing",
       [](FaultRun& run) {
         run.port.refuseOpen = true;
         OnPortButton(run.context, 2);
       },
       "Com2 not open", kRed},
      {"Com1 pressed again", [](FaultRun& run) { OnPortButton(run.context, 1); }, "Please wait 3 minutes", kRed},
  };
  for (const auto& c : cases) {
    FreshFaultRun run;
    const std::string& directory = run.directory();
    run.Start();
    fs::rename(directory, directory + ".away");
    run.Set(1);
    ExpectSetKeptShown(run);
    fs::rename(directory + ".away", directory);
    c.between(run);
    run.Line(16, 2);
    run.Line(15, 2);
    EXPECT_TRUE(run.context.keptWrites.empty()) << c.what;
    EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), c.message) << c.what;
    EXPECT_EQ(run.surface.indicatorColour, c.colour) << c.what;
  }
}

// A directory moved away and a file put in its place: every write fails
// with "Not a directory", whoever runs the program.
TEST(DataDirectoryFaults, DirectoryReplacedByAFileKeepsTheSetsUntilItIsBack) {
  FreshFaultRun run;
  const std::string& directory = run.directory();
  run.Start();
  run.Set(1);
  fs::rename(directory, directory + ".away");
  std::ofstream(directory) << "not a directory";
  run.Set(2);
  ExpectSetKeptShown(run);
  run.Set(3);
  EXPECT_TRUE(run.Listed({"Set 2 not written: ", "fl.db1", "Not a directory"}));
  EXPECT_TRUE(run.Listed({"Set 3 not written: ", "fl.db1"}));
  EXPECT_EQ(run.CountListed("Alarm log not written: "), 1);

  fs::remove(directory);
  fs::rename(directory + ".away", directory);
  run.Set(4);
  ExpectGoodAgain(run);
  EXPECT_EQ(run.Files(), ControlFiles(4));
}

// A directory that never comes back: at the end of the run what it did not
// take is saved under a rescue folder of the home folder. The sets written
// before it went and the rescued ones are every set, once each.
TEST(DataDirectoryFaults, DirectoryRemovedForGoodIsRescuedAtTheEnd) {
  TempDir dir;
  TempDir home;
  const std::string directory = DataDirectoryIn(dir);
  const ScopedVariable homeVariable("HOME", home.path().c_str());

  FaultRun run(directory);
  run.Start("3");
  run.Set(1);
  fs::rename(directory, directory + ".moved");  // gone, as far as the run can tell
  run.Set(2);
  ExpectSetKeptShown(run);
  ::testing::internal::CaptureStderr();
  run.Set(3);  // the last set ends the program
  const std::string said = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(run.program.ends, 1);
  EXPECT_TRUE(run.context.keptWrites.empty());
  std::string rescue;
  for (const fs::directory_entry& entry : fs::directory_iterator(home.path())) {
    if (entry.path().filename().string().starts_with("tally77-unwritten-")) rescue = entry.path().string();
  }
  ASSERT_FALSE(rescue.empty()) << "no rescue folder; the program said: " << said;
  EXPECT_NE(said.find(rescue + kPathSeparator + "fl.db1"), std::string::npos) << said;
  const std::string before = ReadFile(directory + ".moved/fl.db1");
  const std::string rescued = ReadFile(rescue + kPathSeparator + "fl.db1");
  EXPECT_EQ(LinesOf(before).size(), 1u);
  EXPECT_EQ(LinesOf(rescued).size(), 2u);
  EXPECT_EQ(before + rescued, ControlFile(3, "fl.db1"));
  EXPECT_EQ(ReadFile(rescue + kPathSeparator + "ct.cap"), ControlFile(3, "ct.cap"));
}

}  // namespace
}  // namespace tally::testing
