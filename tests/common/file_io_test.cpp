#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <set>

#include "common/file_io.h"
#include "common/scratch_companion.h"
#include "doubles/result_checks.h"
#include "doubles/temp_dir.h"

namespace tally {
namespace {

namespace fs = std::filesystem;

// Names of temporary files left in a folder by a replacement.
std::string TemporariesIn(const std::string& folder) {
  std::string names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".new-") != std::string::npos) names += name + " ";
  }
  return names;
}

// A read-back that succeeded with exactly this text.
::testing::AssertionResult ReadBack(const Outcome<std::string>& readBack, const std::string& text) {
  if (!readBack.ok()) return ::testing::AssertionFailure() << "failed: " << readBack.failure().message;
  if (readBack.value() != text) return ::testing::AssertionFailure() << "read back \"" << readBack.value() << '"';
  return ::testing::AssertionSuccess();
}

TEST(FileIo, AppendCreatesThenAppendsExactBytes) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "fl.db1";
  ASSERT_TRUE(testing::IsOk(AppendToFile(path, "one\r\n")));
  ASSERT_TRUE(testing::IsOk(AppendToFile(path, std::string("tw\0o\r\n", 6), Durability::Plain)));
  EXPECT_EQ(dir.Read("fl.db1"), std::string("one\r\ntw\0o\r\n", 11));
}

TEST(FileIo, ReplaceLeavesOnlyTheNewContentAndNoTemporaryFile) {
  for (const Durability durability : {Durability::Plain, Durability::Flushed, Durability::Scratch}) {
    testing::TempDir dir;
    const std::string path = dir.dataPath() + "cp.txt";
    ASSERT_TRUE(testing::IsOk(ReplaceFile(path, "a long first content\r\n", durability)));
    ASSERT_TRUE(testing::IsOk(ReplaceFile(path, "new\r\n", durability)));
    EXPECT_EQ(dir.Read("cp.txt"), "new\r\n");
    ASSERT_TRUE(ReadBack(ReplaceFileAndReadBack(path, "read back\r\n", durability), "read back\r\n"));
    EXPECT_EQ(dir.Read("cp.txt"), "read back\r\n");
    EXPECT_EQ(TemporariesIn(dir.path()), "");
  }
}

ino_t InodeOf(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

// A scratch file and its companion held open swap names burst after
// burst: the same two files, locked against a second program, the file
// holding the newest content whole (shorter than the last or longer) and
// the companion the one before. A second program on the same directory
// goes the ordinary way, and the pair notices it.
TEST(FileIo, AScratchPairSwapsTheSameTwoFilesAndHoldsThemLocked) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "cp.txt";
  const std::string companion = dir.dataPath() + ".cp.txt.next";
  ScratchPair pair;
  const std::string contents[] = {"first\r\nfirst\r\n", "a longer second\r\n", "3\r\n", "fourth\r\n", "5\r\n"};
  std::set<ino_t> files;
  std::string previous;
  for (const std::string& content : contents) {
    ASSERT_TRUE(ReadBack(ReplaceScratchAndReadBack(pair, path, content), content));
    EXPECT_EQ(dir.Read("cp.txt"), content);
    if (!previous.empty()) {
      EXPECT_EQ(dir.Read(".cp.txt.next"), previous) << content;
    }
    EXPECT_FALSE(testing::LockableByAnother(path)) << content;
    EXPECT_FALSE(testing::LockableByAnother(companion)) << content;
    files.insert({InodeOf(path), InodeOf(companion)});
    previous = content;
  }
  EXPECT_EQ(files.size(), 2u);

  ScratchPair second;
  ASSERT_TRUE(ReadBack(ReplaceScratchAndReadBack(second, path, "theirs\r\n"), "theirs\r\n"));
  EXPECT_EQ(files.count(InodeOf(path)), 0u);  // a new file took the name
  ASSERT_TRUE(ReadBack(ReplaceScratchAndReadBack(pair, path, "ours again\r\n"), "ours again\r\n"));
  EXPECT_EQ(dir.Read("cp.txt"), "ours again\r\n");

  pair.Release();
  EXPECT_TRUE(testing::LockableByAnother(path));
  EXPECT_TRUE(testing::LockableByAnother(companion));
  EXPECT_EQ(TemporariesIn(dir.path()), "");
}

// "cp.txt" given to another user or group (-1: left as it is), when the
// program may do that.
void GiveAway(const testing::TempDir& dir, int user, int group) {
  if (::geteuid() != 0) return;
  ASSERT_EQ(::chown((dir.dataPath() + "cp.txt").c_str(), static_cast<uid_t>(user), static_cast<gid_t>(group)), 0);
}

bool OwnedBy(const testing::TempDir& dir, int user, int group) {
  struct stat status {};
  if (::stat((dir.dataPath() + "cp.txt").c_str(), &status) != 0) return false;
  if (::geteuid() != 0) return true;
  return (user < 0 || status.st_uid == static_cast<uid_t>(user)) &&
         (group < 0 || status.st_gid == static_cast<gid_t>(group));
}

// Whatever was done to the held file or companion between two bursts is
// noticed: the next bursts go the checked way, "cp.txt" holds each of them
// exactly, and what the operator made stays as made.
TEST(FileIo, AScratchPairNoticesWhatWasDoneBetweenBursts) {
  using Dir = testing::TempDir;
  const struct {
    const char* what;
    std::function<void(const Dir&)> meddle;
    // Checked after the bursts; kept is what the companion held before.
    std::function<void(const Dir&, const std::string& kept)> check;
  } cases[] = {
      {"cp.txt replaced by another file",
       [](const Dir& dir) {
         dir.Write("other", "other\r\n");
         fs::rename(dir.dataPath() + "other", dir.dataPath() + "cp.txt");
       },
       [](const Dir&, const std::string&) {}},
      {"cp.txt replaced by a link",
       [](const Dir& dir) {
         dir.Write("victim", "precious");
         fs::remove(dir.dataPath() + "cp.txt");
         fs::create_symlink("victim", dir.dataPath() + "cp.txt");
       },
       [](const Dir& dir, const std::string&) { EXPECT_TRUE(fs::is_symlink(dir.dataPath() + "cp.txt")); }},
      {"cp.txt removed", [](const Dir& dir) { fs::remove(dir.dataPath() + "cp.txt"); },
       [](const Dir&, const std::string&) {}},
      {"cp.txt given a second name",
       [](const Dir& dir) { fs::create_hard_link(dir.dataPath() + "cp.txt", dir.dataPath() + "second"); },
       [](const Dir& dir, const std::string&) { EXPECT_EQ(dir.Read("second"), "two, longer\r\n"); }},
      {"cp.txt chmod'ed", [](const Dir& dir) { fs::permissions(dir.dataPath() + "cp.txt", fs::perms(0640)); },
       [](const Dir& dir, const std::string&) {
         EXPECT_EQ(fs::status(dir.dataPath() + "cp.txt").permissions(), fs::perms(0640));
       }},
      {"cp.txt given to another user (when root)", [](const Dir& dir) { GiveAway(dir, 65534, -1); },
       [](const Dir& dir, const std::string&) { EXPECT_TRUE(OwnedBy(dir, 65534, -1)); }},
      {"cp.txt given to another group (when root)", [](const Dir& dir) { GiveAway(dir, -1, 65534); },
       [](const Dir& dir, const std::string&) { EXPECT_TRUE(OwnedBy(dir, -1, 65534)); }},
      {"companion given a second name",
       [](const Dir& dir) { fs::create_hard_link(dir.dataPath() + ".cp.txt.next", dir.dataPath() + "second"); },
       [](const Dir& dir, const std::string& kept) { EXPECT_EQ(dir.Read("second"), kept); }},
      {"companion moved away",
       [](const Dir& dir) { fs::rename(dir.dataPath() + ".cp.txt.next", dir.dataPath() + "moved"); },
       [](const Dir& dir, const std::string& kept) { EXPECT_EQ(dir.Read("moved"), kept); }},
      {"companion replaced by a link",
       [](const Dir& dir) {
         dir.Write("victim", "precious");
         fs::remove(dir.dataPath() + ".cp.txt.next");
         fs::create_symlink("victim", dir.dataPath() + ".cp.txt.next");
       },
       [](const Dir& dir, const std::string&) { EXPECT_EQ(dir.Read("victim"), "precious"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Dir dir;
    const std::string path = dir.dataPath() + "cp.txt";
    ScratchPair pair;
    for (const std::string content : {"one\r\n", "two, longer\r\n"}) {
      ASSERT_TRUE(ReplaceScratchAndReadBack(pair, path, content).ok());
    }
    const std::string kept = dir.Read(".cp.txt.next");
    c.meddle(dir);
    for (const std::string content : {"3\r\n", "fourth, the longest\r\n", "5\r\n"}) {
      ASSERT_TRUE(ReadBack(ReplaceScratchAndReadBack(pair, path, content), content));
      EXPECT_EQ(dir.Read("cp.txt"), content);
    }
    c.check(dir, kept);
    EXPECT_EQ(TemporariesIn(dir.path()), "");
  }
}

// A companion that is a symbolic link or has a second name is not written
// through: the file is replaced the ordinary way.
TEST(FileIo, AScratchFileRefusesACompanionThatIsNotPlainlyItsOwn) {
  const struct {
    const char* what;
    void (*plant)(const std::string& victim, const std::string& companion);
  } cases[] = {
      {"symbolic link", [](const std::string& victim, const std::string& companion) {
         fs::create_symlink(victim, companion);
       }},
      {"second name", [](const std::string& victim, const std::string& companion) {
         fs::create_hard_link(victim, companion);
       }},
  };
  for (const auto& c : cases) {
    testing::TempDir dir;
    dir.Write("cp.txt", "old\r\n");
    dir.Write("victim", "precious");
    c.plant(dir.dataPath() + "victim", dir.dataPath() + ".cp.txt.next");
    for (const std::string content : {"new\r\n", "newer\r\n"}) {
      ASSERT_TRUE(ReadBack(ReplaceFileAndReadBack(dir.dataPath() + "cp.txt", content, Durability::Scratch), content))
          << c.what;
      EXPECT_EQ(dir.Read("cp.txt"), content) << c.what;
    }
    EXPECT_EQ(dir.Read("victim"), "precious") << c.what;
    EXPECT_EQ(dir.Read(".cp.txt.next"), "precious") << c.what;
    EXPECT_EQ(TemporariesIn(dir.path()), "") << c.what;
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
    ASSERT_FALSE(c.status.ok()) << c.what;
    const Failure& failure = c.status.failure();
    EXPECT_EQ(failure.code, FailureCode::FileOpen) << c.what;
    EXPECT_NE(failure.message.find(missingDir), std::string::npos) << failure.message;
    EXPECT_NE(failure.message.find("No such file or directory"), std::string::npos) << failure.message;
  }
  const Outcome<std::string> read = ReadWholeFile(missingDir + "ct.dat");
  ASSERT_FALSE(read.ok());
  EXPECT_EQ(read.failure().code, FailureCode::FileOpen);
}

TEST(FileIo, AFullDeviceIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const Status status = AppendToFile("/dev/full", "0123456789\r\n");
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.failure().code, FailureCode::FileWrite);
  EXPECT_NE(status.failure().message.find("No space left on device"), std::string::npos)
      << status.failure().message;
}

// A write cut short by the file size limit is taken back: the file keeps
// whole lines only.
TEST(FileIo, AnAppendCutShortLeavesNoHalfLine) {
  testing::TempDir dir;
  const std::string path = dir.dataPath() + "usage.cap";
  ASSERT_TRUE(testing::IsOk(AppendToFile(path, "0123456789\r\n")));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const Status status = AppendToFile(path, "abcdefghij\r\n");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.failure().code, FailureCode::FileWrite);
  EXPECT_EQ(dir.Read("usage.cap"), "0123456789\r\n");
}

// What the operator set on a replaced file stays as it was: a symbolic link
// stays a link and the file it names is replaced, the permission bits stay,
// and a link planted under a name a temporary file once had is not followed;
// a scratch file swapped with its companion keeps them too.
TEST(FileIo, ReplacementKeepsWhatTheOperatorSet) {
  const struct {
    const char* what;
    std::function<void(const testing::TempDir&)> arrange;
    const char* replacedFile;  // where the new content must be found
  } cases[] = {
      {"relative link",
       [](const testing::TempDir& dir) {
         fs::create_directory(dir.dataPath() + "real");
         dir.Write("real/ct.cap", "old\r\n");
         fs::create_symlink("real/ct.cap", dir.dataPath() + "ct.cap");
       },
       "real/ct.cap"},
      {"absolute link to a link to a file not there yet",
       [](const testing::TempDir& dir) {
         fs::create_symlink(dir.dataPath() + "hop", dir.dataPath() + "ct.cap");
         fs::create_symlink(dir.dataPath() + "later.cap", dir.dataPath() + "hop");
       },
       "later.cap"},
      {"planted link at the old temporary name",
       [](const testing::TempDir& dir) {
         dir.Write("victim", "precious");
         fs::create_symlink(dir.dataPath() + "victim", dir.dataPath() + "ct.cap.new");
       },
       "ct.cap"},
      {"mode 0604 under a umask of 077, another user's file (when root)",
       [](const testing::TempDir& dir) {
         dir.Write("ct.cap", "old\r\n");
         fs::permissions(dir.dataPath() + "ct.cap", fs::perms(0604));
         if (::geteuid() == 0) {
           ASSERT_EQ(::chown((dir.dataPath() + "ct.cap").c_str(), 65534, 65534), 0);
         }
       },
       "ct.cap"},
  };
  for (const Durability durability : {Durability::Flushed, Durability::Scratch}) {
    SCOPED_TRACE(durability == Durability::Scratch ? "scratch" : "flushed");
    for (const auto& c : cases) {
      testing::TempDir dir;
      c.arrange(dir);
      const bool wasLink = fs::is_symlink(dir.dataPath() + "ct.cap");
      const fs::perms before = fs::status(dir.dataPath() + "ct.cap").permissions();
      struct stat owner {};
      const bool existed = ::stat((dir.dataPath() + "ct.cap").c_str(), &owner) == 0;
      const mode_t savedMask = ::umask(077);
      const Status status = ReplaceFile(dir.dataPath() + "ct.cap", "new\r\n", durability);
      ::umask(savedMask);
      ASSERT_TRUE(testing::IsOk(status)) << c.what;
      EXPECT_EQ(dir.Read(c.replacedFile), "new\r\n") << c.what;
      EXPECT_EQ(fs::is_symlink(dir.dataPath() + "ct.cap"), wasLink) << c.what;
      if (before != fs::perms::unknown) {
        EXPECT_EQ(fs::status(dir.dataPath() + "ct.cap").permissions(), before) << c.what;
      }
      struct stat after {};
      ASSERT_EQ(::stat((dir.dataPath() + "ct.cap").c_str(), &after), 0) << c.what;
      if (existed) {
        EXPECT_EQ(after.st_uid, owner.st_uid) << c.what;
        EXPECT_EQ(after.st_gid, owner.st_gid) << c.what;
      }
      if (dir.Exists("victim")) {
        EXPECT_EQ(dir.Read("victim"), "precious") << c.what;
      }
      EXPECT_EQ(TemporariesIn(dir.path()), "") << c.what;
    }
  }
}

// A replacement that fails changes nothing and leaves no temporary file.
TEST(FileIo, AFailedReplacementLeavesNoTemporaryFile) {
  const struct {
    const char* what;
    std::function<void(const testing::TempDir&)> arrange;
    const char* reason;
    const char* oldFile;  // the old content, "old\r\n", stays there
  } cases[] = {
      {"a folder in the file's place",
       [](const testing::TempDir& dir) {
         fs::create_directory(dir.dataPath() + "ct.cap");
         dir.Write("ct.cap/kept", "old\r\n");
       },
       "cannot write DIR/ct.cap: Is a directory", "ct.cap/kept"},
      {"links in a loop", [](const testing::TempDir& dir) { fs::create_symlink("ct.cap", dir.dataPath() + "ct.cap"); },
       "cannot follow DIR/ct.cap: Too many levels of symbolic links", nullptr},
      {"a file size limit",
       [](const testing::TempDir& dir) {
         dir.Write("ct.cap", "old\r\n");
         rlimit limited{};
         getrlimit(RLIMIT_FSIZE, &limited);
         limited.rlim_cur = 4;
         setrlimit(RLIMIT_FSIZE, &limited);
       },
       "cannot write DIR/ct.cap: File too large", "ct.cap"},
  };
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  for (const auto& c : cases) {
    testing::TempDir dir;
    c.arrange(dir);
    const Status status = ReplaceFile(dir.dataPath() + "ct.cap", "new content\r\n", Durability::Flushed);
    setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_FALSE(status.ok()) << c.what;
    std::string reason = c.reason;
    reason.replace(reason.find("DIR/"), 4, dir.dataPath());
    EXPECT_EQ(status.failure().message, reason) << c.what;
    EXPECT_EQ(TemporariesIn(dir.path()), "") << c.what;
    if (c.oldFile != nullptr) {
      EXPECT_EQ(dir.Read(c.oldFile), "old\r\n") << c.what;
    }
  }
  std::signal(SIGXFSZ, oldHandler);
}

}  // namespace
}  // namespace tally
