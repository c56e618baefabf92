// Set files and alarm log lines the data directory does not take are kept
// (in a journal, else in memory) and written, in order and before anything
// newer, once it does.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "capture/data_file_writes.h"
#include "capture/journal_folder.h"
#include "capture/kept_writes.h"
#include "capture/process_reading.h"
#include "common/path_text.h"
#include "doubles/capture_run.h"
#include "doubles/scoped_variable.h"

namespace tally {
namespace {

using testing::TempDir;
using testing::CaptureRun;

const char* const kSetFiles[] = {"fl.db1", "ct.cap", "usage.cap", "ferro2.cap"};

// Sixteen lines of one set, channel order reversed so the record is sorted.
void CaptureSet(CaptureRun& rig, int valueBase) {
  for (int channel = 16; channel >= 1; --channel) {
    ProcessReading(rig.context,
                   std::to_string(channel) + "," + std::to_string(valueBase + channel) + ",20,300");
    rig.time.Advance(1000);
  }
}

std::string SetFilesOf(const TempDir& dir) {
  std::string all;
  for (const char* name : kSetFiles) all += std::string(name) + ":" + dir.Read(name) + "|";
  return all;
}

TEST(KeptWrites, SetsOfARemovedDirectoryAreWrittenInOrderWhenItComesBack) {
  CaptureRun control;
  control.context.state.obsRemaining = 100;
  for (int set = 0; set < 3; ++set) CaptureSet(control, set * 100);

  CaptureRun rig;
  rig.context.state.obsRemaining = 100;
  CaptureSet(rig, 0);
  std::filesystem::remove_all(rig.dir.path());  // removed during the run
  CaptureSet(rig, 100);
  EXPECT_EQ(rig.surface.CaptionOf(Caption::Label1), "Set kept, not yet written");
  EXPECT_EQ(rig.surface.indicatorColour, kRed);
  ASSERT_FALSE(rig.surface.list2.empty());
  EXPECT_NE(rig.surface.list2.back().find("Set 2 not written: "), std::string::npos) << rig.surface.list2.back();
  EXPECT_NE(rig.surface.list2.back().find("fl.db1"), std::string::npos) << rig.surface.list2.back();
  EXPECT_EQ(rig.context.state.obsCount, 2);  // the set counts: it is kept

  std::filesystem::create_directory(rig.dir.path());  // back again
  CaptureSet(rig, 200);
  EXPECT_TRUE(rig.context.keptWrites.empty());
  EXPECT_EQ(rig.surface.CaptionOf(Caption::Label1), "We have a good reading ");

  // Set 1 went with the removed directory; sets 2 and 3 are there, in order,
  // exactly as a run without the fault wrote them.
  CaptureRun onlyLater;
  onlyLater.context.state.obsRemaining = 100;
  CaptureSet(onlyLater, 0);
  std::filesystem::remove_all(onlyLater.dir.path());
  std::filesystem::create_directory(onlyLater.dir.path());
  CaptureSet(onlyLater, 100);
  CaptureSet(onlyLater, 200);
  EXPECT_EQ(SetFilesOf(rig.dir), SetFilesOf(onlyLater.dir));
  const std::string database = rig.dir.Read("fl.db1");
  EXPECT_EQ(database.size(), 2u * 326u);
  EXPECT_EQ(control.dir.Read("fl.db1").substr(326), database);
}

TEST(KeptWrites, AWaitingFileDoesNotHoldBackTheOthers) {
  TempDir dir;
  KeptWrites kept;
  const std::string blocked = dir.dataPath() + "gone" + kPathSeparator;
  ASSERT_TRUE(kept.Keep({blocked, {"fl.db1", "a\r\n", SetFileWrite::Mode::Append, Durability::Plain}}).ok());
  ASSERT_TRUE(kept.Keep({dir.dataPath(), {"usage.cap", "b\r\n", SetFileWrite::Mode::Append, Durability::Plain}}).ok());
  ASSERT_TRUE(kept.Keep({blocked, {"fl.db1", "c\r\n", SetFileWrite::Mode::Append, Durability::Plain}}).ok());

  KeptWrites::FlushResult result = kept.Flush();
  EXPECT_EQ(result.writtenFiles, std::vector<std::string>{"usage.cap"});
  ASSERT_EQ(result.failures.size(), 1u);
  EXPECT_EQ(kept.size(), 2u);
  EXPECT_TRUE(kept.HoldsFile(blocked + "fl.db1"));

  std::filesystem::create_directory(blocked);
  result = kept.Flush();
  EXPECT_TRUE(kept.empty());
  std::string database = dir.Read("gone" + std::string(1, kPathSeparator) + "fl.db1");
  EXPECT_EQ(database, "a\r\nc\r\n");
}

TEST(KeptWrites, OnlyTheNewestContentOfAReplacedFileIsKept) {
  KeptWrites kept;
  ASSERT_TRUE(kept.Keep({"/nowhere/", {"ct.cap", "set 1", SetFileWrite::Mode::Replace, Durability::Plain}}).ok());
  ASSERT_TRUE(kept.Keep({"/nowhere/", {"fl.db1", "set 1", SetFileWrite::Mode::Append, Durability::Plain}}).ok());
  ASSERT_TRUE(kept.Keep({"/nowhere/", {"ct.cap", "set 2", SetFileWrite::Mode::Replace, Durability::Plain}}).ok());
  ASSERT_TRUE(kept.Keep({"/nowhere/", {"fl.db1", "set 2", SetFileWrite::Mode::Append, Durability::Plain}}).ok());
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept.writes()[0].write.name, "fl.db1");
  EXPECT_EQ(kept.writes()[1].write.bytes, "set 2");
  EXPECT_EQ(kept.writes()[2].write.bytes, "set 2");
}

// What the directory never took by the end of the program is saved under a
// rescue folder of the home folder, with the same file names.
TEST(KeptWrites, TheEndOfTheProgramSavesWhatIsStillKept) {
  TempDir home;
  const testing::ScopedVariable homeVariable("HOME", home.path().c_str());
  CaptureRun rig;
  rig.context.state.dataPath = rig.dir.dataPath() + "gone" + kPathSeparator;
  ASSERT_FALSE(WriteOrKeep(rig.context, {{"fl.db1", "record\r\n", SetFileWrite::Mode::Append,
                                           Durability::Flushed}})
                   .ok());
  ::testing::internal::CaptureStderr();
  SaveKeptWritesBeforeEnd(rig.context);
  const std::string said = ::testing::internal::GetCapturedStderr();

  const std::string rescue = home.dataPath() + "tally77-unwritten-20261206-143015" + kPathSeparator;
  EXPECT_NE(said.find(rescue + "fl.db1"), std::string::npos) << said;
  EXPECT_EQ(testing::ReadFile(rescue + "fl.db1"), "record\r\n");
  EXPECT_TRUE(rig.context.keptWrites.empty());
}

TEST(KeptWrites, TheJournalLiesInTheUsersStateFolder) {
  TempDir place;
  const std::string base = place.path();
  place.Write("file", "not a folder");
  std::filesystem::create_directory(base + "/tmp");
  const std::string ownTemporary = base + "/tmp/tally77-" + std::to_string(::geteuid());
  const struct {
    const char* state;
    std::string home;
    std::string folder;
  } cases[] = {
      {"STATE", base + "/home", base + "/state/tally77"},
      {nullptr, base + "/home", base + "/home/.local/state/tally77"},
      {"relative/state", base + "/home", base + "/home/.local/state/tally77"},
      {nullptr, base + "/file", ownTemporary},
  };
  for (const auto& c : cases) {
    const std::string state = c.state != nullptr && std::string(c.state) == "STATE" ? base + "/state" : "";
    const testing::ScopedVariable stateHome("XDG_STATE_HOME", state.empty() ? c.state : state.c_str());
    const testing::ScopedVariable home("HOME", c.home.c_str());
    const testing::ScopedVariable temporary("TMPDIR", (base + "/tmp").c_str());
    EXPECT_EQ(JournalFolder(), c.folder) << c.home;
    EXPECT_TRUE(std::filesystem::is_directory(c.folder)) << c.folder;
  }
}

// Without a journal the kept lines stay in memory, and List2 says so once.
TEST(KeptWrites, AJournalThatCannotBeWrittenLeavesTheLinesInMemory) {
  CaptureRun rig;
  rig.dir.Write("journal", "a file, not a folder");
  rig.context.keptWrites.UseJournalFolder(rig.dir.dataPath() + "journal");
  rig.context.state.dataPath = rig.dir.dataPath() + "gone" + kPathSeparator;
  const SetFileWrite line{"fl.db1", "record\r\n", SetFileWrite::Mode::Append, Durability::Flushed};
  ASSERT_FALSE(WriteOrKeep(rig.context, {line, line}).ok());
  ASSERT_EQ(rig.surface.list2.size(), 1u);
  const std::string& said = rig.surface.list2.front();
  const std::string start = "Kept lines held in memory only: cannot create journal " + rig.dir.dataPath() + "journal/kept-";
  EXPECT_EQ(said.substr(0, start.size()), start) << said;
  EXPECT_TRUE(said.ends_with(".journal: Not a directory")) << said;
  EXPECT_EQ(rig.context.keptWrites.writes().size(), 2u);
}

// Journals left by three earlier runs, each waiting for its own directory:
// the directories come back one by one in every order, so that a finished
// journal goes from the front, the middle and the end of those in use.
TEST(KeptWrites, JournalsFinishInAnyOrder) {
  std::array<int, 3> order{0, 1, 2};
  do {
    TempDir folder;
    TempDir data;
    const auto directory = [&data](int run) { return data.dataPath() + "run" + std::to_string(run) + kPathSeparator; };
    for (int run = 0; run < 3; ++run) {
      Outcome<KeptJournal> journal = KeptJournal::Create(folder.path());
      ASSERT_TRUE(journal.ok());
      const std::string line = "run " + std::to_string(run) + "\r\n";
      ASSERT_TRUE(journal.value().Append({directory(run), {"fl.db1", line, SetFileWrite::Mode::Append, Durability::Plain}}).ok());
    }
    KeptWrites kept;
    ASSERT_EQ(kept.UseJournalFolder(folder.path()).size(), 3u);
    std::size_t comeBack = 0;
    for (const int run : order) {
      std::filesystem::create_directory(directory(run));
      kept.Flush();
      ++comeBack;
      EXPECT_EQ(kept.JournalPaths().size(), 3 - comeBack);
      EXPECT_EQ(testing::ReadFile(directory(run) + "fl.db1"), "run " + std::to_string(run) + "\r\n");
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  } while (std::next_permutation(order.begin(), order.end()));
}

// A replay killed between its append and the done mark: the next start
// finds the append where it began, whole, cut short or not there, and
// leaves the line in the file once.
TEST(KeptWrites, AReplayCutOffBeforeItsDoneMarkLeavesTheLineOnce) {
  const std::string before = "set 1\r\n";
  const std::string line = "set 2, kept\r\n";
  const struct {
    const char* crash;
    std::size_t reached;  // bytes of the line in the file at the crash
  } cases[] = {{"after the append", line.size()}, {"inside the append", 5}, {"before the append", 0}};
  for (const auto& c : cases) {
    TempDir folder;
    TempDir data;
    data.Write("fl.db1", before);
    {
      Outcome<KeptJournal> journal = KeptJournal::Create(folder.path());
      ASSERT_TRUE(journal.ok());
      const KeptWrite kept{data.dataPath(), {"fl.db1", line, SetFileWrite::Mode::Append, Durability::Flushed}};
      ASSERT_TRUE(journal.value().Append(kept).ok());
      // The replay that was cut off: its place noted, then the crash.
      ASSERT_TRUE(journal.value().ForEachWaiting([&](const KeptWrite&) {
        EXPECT_TRUE(journal.value().NoteAppendAt(before.size()).ok());
        return KeptJournal::Visit::Waits;
      }).ok());
      data.Write("fl.db1", before + line.substr(0, c.reached));
    }
    KeptWrites kept;
    kept.UseJournalFolder(folder.path());
    kept.Flush();
    EXPECT_EQ(data.Read("fl.db1"), before + line) << c.crash;
    EXPECT_TRUE(kept.empty()) << c.crash;
  }
}

// Replacements kept in the journal of a run that ended (another instance
// sharing the journal folder, say); meanwhile the file was left alone,
// written anew or removed. The run that takes the journal on never puts an
// older content over a newer one, and says when it leaves one out.
TEST(KeptWrites, AKeptReplacementNeverGoesOverANewerFile) {
  const struct {
    const char* meanwhile;  // ct.cap when the journal is taken on; nullptr: removed
    std::vector<std::string> kept;
    std::string after;
    int outdated;
  } cases[] = {
      {"set 1", {"set 2"}, "set 2", 0},
      {"set 4", {"set 2"}, "set 4", 1},
      {nullptr, {"set 2"}, "set 2", 0},
      {"set 1", {"set 2", "set 3"}, "set 3", 0},
      {"set 4", {"set 2", "set 3"}, "set 4", 2},
  };
  for (const auto& c : cases) {
    TempDir journals;
    CaptureRun rig;
    rig.dir.Write("ct.cap", "set 1");
    {
      KeptWrites ended;
      ended.UseJournalFolder(journals.path());
      for (const std::string& bytes : c.kept) {
        const SetFileWrite write{"ct.cap", bytes, SetFileWrite::Mode::Replace, Durability::Flushed};
        ASSERT_TRUE(ended.Keep({rig.dir.dataPath(), write}).ok());
      }
    }
    if (c.meanwhile != nullptr) rig.dir.Write("ct.cap", c.meanwhile);
    if (c.meanwhile == nullptr) std::filesystem::remove(rig.dir.dataPath() + "ct.cap");
    StartKeptWritesJournal(rig.context, journals.path());
    const std::string label = c.meanwhile != nullptr ? c.meanwhile : "removed";
    EXPECT_EQ(rig.Read("ct.cap"), c.after) << label;
    EXPECT_TRUE(rig.context.keptWrites.empty()) << label;
    const std::string told =
        "14:30:15 Kept lines not written: " + rig.dir.dataPath() + "ct.cap was written anew after they were kept";
    EXPECT_EQ(std::count(rig.surface.list2.begin(), rig.surface.list2.end(), told), c.outdated) << label;
  }
}

}  // namespace
}  // namespace tally
