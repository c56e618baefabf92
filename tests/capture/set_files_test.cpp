// The set output files: "fl.db1" appended, "ct.cap" replaced,
// "usage.cap" appended, "ferro2.cap" replaced, with the fixed counts.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "capture/set_files.h"
#include "common/path_text.h"
#include "doubles/capture_run.h"

namespace tally {
namespace {

using testing::CaptureRun;

const std::string kCrLf = "\r\n";

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// A complete set as ProcessReading leaves it: 16 lines, their short lines
// and their time stamps; the set number changes the contents.
struct SetTexts {
  std::string sortedRecord;
  std::string shortLines;
  std::string lineStamps;
};

SetTexts CompleteSet(int number, bool eightFields = false) {
  SetTexts set;
  set.sortedRecord = "AB01202612061430" + TwoDigits(number);
  for (int channel = 1; channel <= 16; ++channel) {
    std::string line = TwoDigits(channel) + ",0" + TwoDigits(number) + ",00020,00300";
    if (eightFields) line += ",007,99999,00000,12000";
    set.sortedRecord += "," + line;
    set.shortLines += line.substr(0, 18) + kCrLf;
    set.lineStamps += "14:" + TwoDigits(number) + ":" + TwoDigits(channel) + " 12-06-2026" + kCrLf;
  }
  set.sortedRecord += "  ";
  return set;
}

// The failure's message, "" for success.
std::string Message(const Status& status) { return status.ok() ? "" : status.failure().message; }

class SetFilesTest : public ::testing::Test {
 protected:
  void Take(const SetTexts& set) {
    rig.context.state.sortedRecord = set.sortedRecord;
    rig.context.state.shortLines = set.shortLines;
    rig.context.state.lineStamps = set.lineStamps;
  }
  // Writes the set's files; the failure's message, "" for success.
  std::string Written(const SetTexts& set) {
    Take(set);
    return Message(WriteSetFiles(rig.context));
  }
  std::string Read(const std::string& name) const { return rig.dir.Read(name); }

  CaptureRun rig;
};

// A complete set is 324 characters of record, 16 short lines of 18 and 16
// stamps of 19 characters, each line with CR LF.
TEST_F(SetFilesTest, TheFirstSetCreatesFourFilesWithExactlyTheseBytes) {
  const SetTexts set = CompleteSet(1);
  ASSERT_EQ(set.sortedRecord.size(), 324u);
  ASSERT_EQ(set.shortLines.size(), 320u);
  ASSERT_EQ(set.lineStamps.size(), 336u);
  ASSERT_EQ(Written(set), "");
  EXPECT_EQ(Read("fl.db1"), set.sortedRecord + kCrLf);
  EXPECT_EQ(Read("ct.cap"), set.shortLines + kCrLf);  // 16 lines and an empty line
  EXPECT_EQ(Read("usage.cap"), set.shortLines);       // 318 characters + CR LF
  EXPECT_EQ(Read("ferro2.cap"), set.lineStamps + kCrLf);
}

TEST_F(SetFilesTest, TheSecondSetIsAppendedToFlDb1AndUsageCapAndReplacesTheOthers) {
  const SetTexts first = CompleteSet(1);
  const SetTexts second = CompleteSet(2);
  ASSERT_EQ(Written(first), "");
  ASSERT_EQ(Written(second), "");
  EXPECT_EQ(Read("fl.db1"), first.sortedRecord + kCrLf + second.sortedRecord + kCrLf);
  EXPECT_EQ(Read("usage.cap"), first.shortLines + second.shortLines);  // no empty line between
  EXPECT_EQ(Read("ct.cap"), second.shortLines + kCrLf);
  EXPECT_EQ(Read("ferro2.cap"), second.lineStamps + kCrLf);
}

TEST_F(SetFilesTest, AppendsToFilesOfEarlierRuns) {
  rig.dir.Write("fl.db1", "old line\r\n");
  rig.dir.Write("usage.cap", "old usage\r\n");
  rig.dir.Write("ct.cap", std::string(1000, 'x'));
  const SetTexts set = CompleteSet(1);
  ASSERT_EQ(Written(set), "");
  EXPECT_EQ(Read("fl.db1"), "old line\r\n" + set.sortedRecord + kCrLf);
  EXPECT_EQ(Read("usage.cap"), "old usage\r\n" + set.shortLines);
  EXPECT_EQ(Read("ct.cap"), set.shortLines + kCrLf);
}

TEST_F(SetFilesTest, AnFLIISetGivesA678ByteLineAndStill18CharacterShortLines) {
  const SetTexts set = CompleteSet(1, true);
  ASSERT_EQ(set.sortedRecord.size(), 676u);
  ASSERT_EQ(Written(set), "");
  EXPECT_EQ(Read("fl.db1").size(), 678u);
  EXPECT_EQ(Read("fl.db1"), set.sortedRecord + kCrLf);
  EXPECT_EQ(Read("ct.cap").size(), 322u);
  EXPECT_EQ(Read("usage.cap").size(), 320u);
  EXPECT_EQ(Read("ct.cap").substr(0, 20), "01,001,00020,00300\r\n");
}

TEST_F(SetFilesTest, TheCountsAreFixed) {
  // Longer texts are cut at 320, 318 and 336 characters.
  SetTexts set = CompleteSet(1);
  set.shortLines += "17,001,00020,00300\r\n";
  set.lineStamps += "14:01:17 12-06-2026\r\n";
  ASSERT_EQ(Written(set), "");
  EXPECT_EQ(Read("ct.cap"), set.shortLines.substr(0, 320) + kCrLf);
  EXPECT_EQ(Read("usage.cap"), set.shortLines.substr(0, 318) + kCrLf);
  EXPECT_EQ(Read("ferro2.cap"), set.lineStamps.substr(0, 336) + kCrLf);
}

TEST_F(SetFilesTest, ShorterTextsAreWrittenWhole) {
  ASSERT_EQ(Written({"short", "01,001,00020,00300\r\n", "14:01:01 12-06-2026\r\n"}), "");
  EXPECT_EQ(Read("fl.db1"), "short\r\n");
  EXPECT_EQ(Read("ct.cap"), "01,001,00020,00300\r\n\r\n");
  EXPECT_EQ(Read("usage.cap"), "01,001,00020,00300\r\n\r\n");
  EXPECT_EQ(Read("ferro2.cap"), "14:01:01 12-06-2026\r\n\r\n");
}

TEST_F(SetFilesTest, NoFieldChanges) {
  const SetTexts set = CompleteSet(3);
  ASSERT_EQ(Written(set), "");
  EXPECT_EQ(rig.context.state.sortedRecord, set.sortedRecord);
  EXPECT_EQ(rig.context.state.shortLines, set.shortLines);
  EXPECT_EQ(rig.context.state.lineStamps, set.lineStamps);
}

TEST_F(SetFilesTest, ListsTheFourWritesInOrder) {
  Take(CompleteSet(1));
  using Mode = SetFileWrite::Mode;
  const struct {
    const char* name;
    Mode mode;
    std::size_t bytes;
  } expected[] = {{"fl.db1", Mode::Append, 326}, {"ct.cap", Mode::Replace, 322},
                  {"usage.cap", Mode::Append, 320}, {"ferro2.cap", Mode::Replace, 338}};
  const std::vector<SetFileWrite> writes = SetFileWrites(rig.context.state);
  ASSERT_EQ(writes.size(), std::size(expected));
  for (std::size_t at = 0; at < writes.size(); ++at) {
    EXPECT_EQ(writes[at].name, expected[at].name);
    EXPECT_EQ(writes[at].mode, expected[at].mode) << expected[at].name;
    EXPECT_EQ(writes[at].bytes.size(), expected[at].bytes) << expected[at].name;
    EXPECT_EQ(writes[at].durability, Durability::Flushed) << expected[at].name;
  }
}

TEST_F(SetFilesTest, AMissingDirectoryFailsNamingTheFirstFile) {
  rig.context.state.dataPath = rig.dir.dataPath() + "missing" + kPathSeparator;
  const std::string message = Written(CompleteSet(1));
  EXPECT_NE(message.find("fl.db1"), std::string::npos) << message;
  EXPECT_FALSE(rig.dir.Exists("missing"));
}

TEST_F(SetFilesTest, AFailingFileDoesNotStopTheOthers) {
  // "ct.cap" is a directory with something in it: it cannot be replaced.
  std::filesystem::create_directories(rig.dir.dataPath() + "ct.cap" + kPathSeparator + "inside");
  const SetTexts set = CompleteSet(1);
  const std::string message = Written(set);
  EXPECT_NE(message.find("ct.cap"), std::string::npos) << message;
  EXPECT_EQ(Read("fl.db1"), set.sortedRecord + kCrLf);
  EXPECT_EQ(Read("usage.cap"), set.shortLines);
  EXPECT_EQ(Read("ferro2.cap"), set.lineStamps + kCrLf);
}

TEST_F(SetFilesTest, TheFirstOfSeveralFailuresIsReturned) {
  std::filesystem::create_directories(rig.dir.dataPath() + "usage.cap" + kPathSeparator + "inside");
  std::filesystem::create_directories(rig.dir.dataPath() + "ferro2.cap" + kPathSeparator + "inside");
  const std::string message = Written(CompleteSet(1));
  EXPECT_NE(message.find("usage.cap"), std::string::npos) << message;
  EXPECT_EQ(message.find("ferro2.cap"), std::string::npos) << message;
  EXPECT_EQ(Read("ct.cap").size(), 322u);
}

}  // namespace
}  // namespace tally
