// A power cut at every point of a capture: the file-system operations of a
// few sets are taken down, and for every prefix of them each state the
// device could be left in (only what was flushed; all as written; unflushed
// tails cut; names the folder did not flush undone) is laid out again and a
// new capture recovers from it. Every set reported before the cut must be
// in "fl.db1" and "usage.cap" once and whole, its alarm in "alarmlog.txt"
// once and whole, "ct.cap" and "ferro2.cap"
// must be the set's content or the next one's, and no journal may be left.
// Beside it, an append whose flush fails is taken back whole.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "capture/data_file_writes.h"
#include "capture/kept_writes.h"
#include "common/file_io.h"
#include "faults/crash_points/file_system_log.h"
#include "faults/fault_run.h"

namespace tally::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kSets = 3;
constexpr const char* kSetMark = "set ";

struct Places {
  std::string folder;     // everything the capture writes is under it
  std::string directory;  // the data directory
  std::string journals;   // the journal folder
};

struct Scenario {
  const char* name;
  std::function<void(FaultRun&, const Places&)> capture;  // sets 1 to kSets, each marked when reported
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

void MarkedSet(FaultRun& run, int set) {
  run.Set(set);
  TheFileSystemLog().Mark(kSetMark + std::to_string(set));
}

// A part of a line at the end of an appended file, as a crash of an earlier
// program leaves it.
void AppendPartOfALine(const std::string& path) {
  const int file = ::open(path.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(file, 0) << path;
  const std::string part = "part of a line";
  EXPECT_EQ(::write(file, part.data(), part.size()), static_cast<ssize_t>(part.size()));
  ::close(file);
}

const Scenario kScenarios[] = {
    {"PlainSets",
     [](FaultRun& run, const Places&) {
       for (int set = 1; set <= kSets; ++set) MarkedSet(run, set);
     }},
    {"ASetKeptWhileTheDirectoryIsAwayThenReplayed",
     [](FaultRun& run, const Places& places) {
       MarkedSet(run, 1);
       fs::rename(places.directory, places.directory + ".away");
       MarkedSet(run, 2);
       fs::rename(places.directory + ".away", places.directory);
       MarkedSet(run, 3);
     }},
    {"APartOfALineBeforeAKeptSetIsReplayed",
     [](FaultRun& run, const Places& places) {
       MarkedSet(run, 1);
       for (const char* name : {"fl.db1", "usage.cap"}) AppendPartOfALine(places.directory + "/" + name);
       fs::rename(places.directory, places.directory + ".away");
       MarkedSet(run, 2);
       fs::rename(places.directory + ".away", places.directory);
       MarkedSet(run, 3);
     }},
    {"AnOlderReplacementOfAnotherRunWaitsInTheJournal",
     [](FaultRun& run, const Places& places) {
       // Another run sharing the journal folder kept set 1's replaced files
       // and ended; this one writes its sets meanwhile.
       KeptWrites other;
       other.UseJournalFolder(places.journals);
       for (const char* name : {"ct.cap", "ferro2.cap"}) {
         const SetFileWrite write{name, ControlFile(1, name), SetFileWrite::Mode::Replace, Durability::Flushed};
         ASSERT_TRUE(other.Keep({places.directory + "/", write}).ok());
       }
       for (int set = 1; set <= kSets; ++set) MarkedSet(run, set);
     }},
};

// The files appended to, and what a fault-free run appends to each, set by
// set (the alarm log's line of a set is appended while it is collected;
// the first set has none).
const char* const kAppended[] = {"fl.db1", "usage.cap", "alarmlog.txt"};

// What a fault-free run writes, set by set: each set's appends, and
// "ct.cap" and "ferro2.cap" after it ("" before the first).
struct Control {
  std::map<std::string, std::vector<std::string>> appends;
  std::vector<std::string> ctCap{""};
  std::vector<std::string> ferro2Cap{""};
  Control() {
    for (const char* name : kAppended) {
      std::string before;
      for (int set = 1; set <= kSets + 1; ++set) {
        const std::string all = ControlFile(set, name);
        appends[name].push_back(all.substr(before.size()));
        before = all;
      }
    }
    for (int set = 1; set <= kSets + 1; ++set) {
      ctCap.push_back(ControlFile(set, "ct.cap"));
      ferro2Cap.push_back(ControlFile(set, "ferro2.cap"));
    }
    // The recovering run's own set comes first in its run, at its time.
    FreshFaultRun recovering;
    recovering.Start();
    recovering.Set(kSets + 1);
    for (const char* name : kAppended) appends[name].back() = recovering.Read(name);
  }
};

// What is wrong with an appended file made of the given appends: bytes of
// no set (a line cut short), a set twice, a reported set or the recovering
// run's own (the last append) missing.
std::string AppendedTrouble(const std::string& name, const std::string& content,
                            const std::vector<std::string>& appends, int reported) {
  std::vector<int> seen(appends.size(), 0);
  for (std::size_t start = 0; start < content.size();) {
    const auto found = std::find_if(appends.begin(), appends.end(), [&](const std::string& append) {
      return !append.empty() && content.compare(start, append.size(), append) == 0;
    });
    if (found == appends.end()) return name + " holds bytes of no set at " + std::to_string(start) + "; ";
    ++seen[static_cast<std::size_t>(found - appends.begin())];
    start += found->size();
  }
  std::string trouble;
  for (std::size_t set = 0; set < appends.size(); ++set) {
    const bool due = static_cast<int>(set) < reported || set + 1 == appends.size();
    if (seen[set] > 1) trouble += name + " holds set " + std::to_string(set + 1) + " twice; ";
    if (seen[set] == 0 && due && !appends[set].empty()) trouble += name + " lacks set " + std::to_string(set + 1) + "; ";
  }
  return trouble;
}

std::string ReplacedTrouble(const std::string& name, const std::string& content,
                            const std::vector<std::string>& versions, int reported) {
  const auto reportedSet = static_cast<std::size_t>(reported);
  if (content == versions[reportedSet] || content == versions[reportedSet + 1]) return "";
  return name + " is neither set " + std::to_string(reported) + "'s nor the next one's; ";
}

int ReportedBefore(const std::vector<FileOperation>& operations, std::size_t count) {
  int reported = 0;
  for (std::size_t index = 0; index < count; ++index) {
    if (operations[index].kind == FileOperation::Kind::Mark) ++reported;
  }
  return reported;
}

// Memory-backed where there is such a folder: a flush costs nothing there,
// and the thousand recoveries flush thousands of times.
std::string FastFolder() { return fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string(); }

// The kept writes' journals in folder (notes of appends lie beside them).
int JournalsIn(const std::string& folder) {
  return static_cast<int>(std::count_if(fs::directory_iterator(folder), fs::directory_iterator{},
                                        [](const auto& entry) { return entry.path().extension() == ".journal"; }));
}

// Lays the state out in place of what the folder holds, lets a new capture
// take on its journals and capture one set more, and says what is wrong
// then.
std::string Recover(const FolderState& state, const Places& places, const Control& control, int reported) {
  for (const auto& entry : fs::directory_iterator(places.folder)) fs::remove_all(entry.path());
  fs::create_directories(places.directory);
  fs::create_directories(places.journals);
  Materialise(state, places.folder, places.folder);
  if (fs::exists(places.directory + ".away")) {  // the operator brings the directory back
    fs::remove_all(places.directory);
    fs::rename(places.directory + ".away", places.directory);
  }
  FaultRun run(places.directory);
  StartKeptWritesJournal(run.context, places.journals);
  std::string trouble = ReplacedTrouble("ct.cap", run.Read("ct.cap"), control.ctCap, reported) +
                        ReplacedTrouble("ferro2.cap", run.Read("ferro2.cap"), control.ferro2Cap, reported);
  if (JournalsIn(places.journals) > 0) trouble += "a journal is left; ";
  run.Start("100", false);
  run.Set(kSets + 1);
  for (const char* name : kAppended) trouble += AppendedTrouble(name, run.Read(name), control.appends.at(name), reported);
  return trouble;
}

class CrashPointTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(CrashPointTest, EveryReportedSetSurvivesAPowerCutAnywhere) {
  static const Control control;
  TempDir dir(FastFolder());
  const Places places{dir.path(), DataDirectoryIn(dir), dir.path() + "/journal"};
  fs::create_directories(places.journals);
  {
    FaultRun run(places.directory);
    StartKeptWritesJournal(run.context, places.journals);
    run.Start();
    TheFileSystemLog().Start(places.folder);
    GetParam().capture(run, places);
    TheFileSystemLog().Stop();
  }
  const std::vector<FileOperation> operations = TheFileSystemLog().operations();
  ASSERT_EQ(ReportedBefore(operations, operations.size()), kSets);

  int tried = 0;
  int failed = 0;
  for (std::size_t count = 0; count <= operations.size(); ++count) {
    if (count > 0 && operations[count - 1].kind == FileOperation::Kind::Mark) continue;
    const int reported = ReportedBefore(operations, count);
    for (const FolderState& state : TheFileSystemLog().CrashStates(count)) {
      ++tried;
      const std::string trouble = Recover(state, places, control, reported);
      if (!trouble.empty() && ++failed <= 5) {
        ADD_FAILURE() << "power cut after operation " << count << " of " << operations.size() << " ("
                      << reported << " sets reported): " << trouble;
      }
    }
  }
  std::printf("%s: %zu operations, %d crash states tried, %d wrong\n", GetParam().name, operations.size(), tried,
              failed);
  EXPECT_EQ(failed, 0);
}

// Bytes in the file whose flush failed might never reach the device: they
// are taken back, so that the line written again later stands once.
TEST(FailedFlushTest, AnAppendWhoseFlushFailsIsTakenBackAndWrittenOnceLater) {
  TempDir dir(FastFolder());
  const std::string path = dir.path() + "/fl.db1";
  const std::string old = "old line\r\n";
  const std::string line = "new line\r\n";
  ASSERT_TRUE(AppendToFile(path, old).ok());
  TheFileSystemLog().Start(dir.path());
  TheFileSystemLog().FailNextFlushOf(path);
  const Status failed = AppendToFile(path, line);
  TheFileSystemLog().Stop();
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.failure().message, "cannot flush " + path + ": " + std::strerror(EIO) +
                                          "; its new bytes were taken back");
  EXPECT_EQ(ReadFile(path), old);
  ASSERT_TRUE(AppendToFile(path, line).ok());
  EXPECT_EQ(ReadFile(path), old + line);
}

INSTANTIATE_TEST_SUITE_P(CrashPoints, CrashPointTest, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tally::testing
