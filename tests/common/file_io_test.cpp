#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "common/file_io.h"
#include "doubles/temp_dir.h"

namespace tally {
namespace {

TEST(FileIo, AppendCreatesThenAppendsExactBytes) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "fl.db1";
  ASSERT_FALSE(AppendToFile(path, "one\r\n"));
  ASSERT_FALSE(AppendToFile(path, std::string("tw\0o\r\n", 6), Durability::Plain));
  EXPECT_EQ(dir.Read("fl.db1"), std::string("one\r\ntw\0o\r\n", 11));
}

TEST(FileIo, ReplaceLeavesOnlyTheNewContentAndNoTemporaryFile) {
  for (const Durability durability : {Durability::Plain, Durability::Flushed, Durability::Scratch}) {
    testing::TempDir dir;
    const std::string path = dir.dataPath() + "cp.txt";
    ASSERT_FALSE(ReplaceFile(path, "a long first content\r\n", durability));
    ASSERT_FALSE(ReplaceFile(path, "new\r\n", durability));
    EXPECT_EQ(dir.Read("cp.txt"), "new\r\n");
    EXPECT_FALSE(dir.Exists("cp.txt.new"));
  }
}

TEST(FileIo, FailuresNameTheFileAndTheReason) {
  testing::TempDir dir;
  const std::string missingDir = dir.dataPath() + "gone/";
  const struct {
    const char* what;
    Status status;
  } cases[] = {
      {"append", AppendToFile(missingDir + "fl.db1", "x")},
      {"replace", ReplaceFile(missingDir + "ct.cap", "x")},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.status) << c.what;
    EXPECT_EQ(c.status->code, FailureCode::FileOpen) << c.what;
    EXPECT_NE(c.status->message.find(missingDir), std::string::npos) << c.status->message;
    EXPECT_NE(c.status->message.find("No such file or directory"), std::string::npos) << c.status->message;
  }
  const Outcome<std::string> read = ReadWholeFile(missingDir + "ct.dat");
  ASSERT_FALSE(read);
  EXPECT_EQ(read.failure().code, FailureCode::FileOpen);
}

TEST(FileIo, AFullDeviceIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const Status status = AppendToFile("/dev/full", "0123456789\r\n");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->code, FailureCode::FileWrite);
  EXPECT_NE(status->message.find("No space left on device"), std::string::npos) << status->message;
}

// A write cut short by the file size limit is taken back: the file keeps
// whole lines only.
TEST(FileIo, AnAppendCutShortLeavesNoHalfLine) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "usage.cap";
  ASSERT_FALSE(AppendToFile(path, "0123456789\r\n"));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const Status status = AppendToFile(path, "abcdefghij\r\n");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->code, FailureCode::FileWrite);
  EXPECT_EQ(dir.Read("usage.cap"), "0123456789\r\n");
}

}  // namespace
}  // namespace tally
