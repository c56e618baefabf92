// A disk that takes no more bytes, by faults that hold for root as well: a
// per-process file size limit (a write stops part way) and /dev/full in
// place of one file. A file never keeps part of a line, and the sets it did
// not take are written once there is room again.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "faults/fault_run.h"

namespace tally::testing {
namespace {

namespace fs = std::filesystem;

// A file size limit for this process, with SIGXFSZ ignored so that a write
// past it fails with EFBIG instead of ending the process. Both are put back
// when it goes.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    set_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() { Lift(); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool set() const { return set_; }
  void Lift() {
    if (lifted_) return;
    lifted_ = true;
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
  }

 private:
  rlimit saved_{};
  void (*savedHandler_)(int) = SIG_DFL;
  bool set_ = false;
  bool lifted_ = false;
};

TEST(FullDiskFaults, AWriteCutShortByTheFileSizeLimitLeavesOnlyWholeLines) {
  FreshFaultRun run;
  run.Start();
  run.Set(1);
  const std::string firstRecord = run.Read("fl.db1");
  const std::string firstUsage = run.Read("usage.cap");
  ASSERT_EQ(firstRecord, ControlFile(1, "fl.db1"));
  {
    // Room for 100 more bytes than fl.db1 holds: the next record (326
    // bytes) is written part way and then refused; usage.cap likewise.
    FileSizeLimit limit(firstRecord.size() + 100);
    ASSERT_TRUE(limit.set());
    run.Set(2);
    run.Set(3);
    EXPECT_EQ(run.Read("fl.db1"), firstRecord);
    EXPECT_EQ(run.Read("usage.cap"), firstUsage);
  }
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "Set kept, not yet written");
  EXPECT_TRUE(run.Listed({"Set 2 not written: ", "fl.db1", "File too large", "kept until the directory takes writes"}))
      << ::testing::PrintToString(run.surface.list2);

  run.Set(4);
  EXPECT_TRUE(run.context.keptWrites.empty());
  EXPECT_EQ(run.Files(), ControlFiles(4));
}

struct FullFileCase {
  const char* file;            // the file that is /dev/full
  const char* message;         // the List2 entry, in part
  bool setKept;                // whether the set waits in memory
};

class FullFileTest : public ::testing::TestWithParam<FullFileCase> {};

// One file is /dev/full: every write to it fails with "No space left on
// device" while the others go on. Once it is a plain file again, what it
// did not take is written, in order.
TEST_P(FullFileTest, WhatTheFullFileDidNotTakeIsWrittenOnceItTakesWritesAgain) {
  const FullFileCase& fault = GetParam();
  TempDir dir;
  const std::string directory = DataDirectoryIn(dir);
  const std::string path = directory + "/" + fault.file;
  fs::create_symlink("/dev/full", path);
  FaultRun run(directory);
  run.Start();
  run.Set(1);
  run.Set(2);
  EXPECT_TRUE(run.Listed({fault.message, fault.file, "No space left on device"}))
      << ::testing::PrintToString(run.surface.list2);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1),
            fault.setKept ? "Set kept, not yet written" : "We have a good reading ");
  EXPECT_FALSE(run.context.keptWrites.empty());

  fs::remove(path);
  run.Set(3);
  EXPECT_TRUE(run.context.keptWrites.empty());
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "We have a good reading ");
  EXPECT_EQ(run.Files(), ControlFiles(3));
}

INSTANTIATE_TEST_SUITE_P(
    FullDiskFaults, FullFileTest,
    ::testing::Values(FullFileCase{"fl.db1", "Set 1 not written: ", true},
                      FullFileCase{"usage.cap", "Set 1 not written: ", true},
                      FullFileCase{"alarmlog.txt", "Alarm log not written: ", false}),
    [](const ::testing::TestParamInfo<FullFileCase>& info) {
      std::string name = info.param.file;
      std::erase(name, '.');
      return name;
    });

// A file that takes the bytes but cannot flush them (a device without a
// flush, as a network file system that fails only there): the bytes stand
// and cannot be taken back, so the set counts as written, is not kept for
// a second write, and List2 says so.
TEST(FullDiskFaults, BytesThatStandUnflushedAreNotWrittenAgain) {
  TempDir dir;
  const std::string directory = DataDirectoryIn(dir);
  fs::create_symlink("/dev/null", directory + "/usage.cap");
  FaultRun run(directory);
  run.Start();
  run.Set(1);
  run.Set(2);
  EXPECT_TRUE(run.context.keptWrites.empty());
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "We have a good reading ");
  EXPECT_EQ(run.CountListed("usage.cap written, but not flushed to the device (Invalid argument); not written again"), 2)
      << ::testing::PrintToString(run.surface.list2);
  EXPECT_EQ(run.Read("fl.db1"), ControlFile(2, "fl.db1"));
}

}  // namespace
}  // namespace tally::testing
