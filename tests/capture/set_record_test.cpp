// The set record builder: sortedRecord from setRecord, purely by
// position.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/set_record.h"
#include "doubles/capture_run.h"

namespace tally {
namespace {

using testing::CaptureRun;

const std::string kHeader = "fL0120261206143015";

std::string Key(int channel) {
  std::string key = std::to_string(channel);
  return key.size() < 2 ? "0" + key : key;
}

std::string Tag(int tag) {
  std::string text = std::to_string(tag);
  while (text.size() < 3) text = "0" + text;
  return text;
}

// An 18-character fLI line with the given channel key; field 2 carries a tag
// (usually the slot of arrival) so that every line can be told apart.
std::string FliLine(const std::string& key, int tag) { return key + "," + Tag(tag) + ",00020,00300"; }

// A 40-character fLII line, tagged the same way.
std::string FliiLine(const std::string& key, int tag) {
  return key + "," + Tag(tag) + ",12345,00001,007,99999,00000,12000";
}

// The header followed by every line preceded by a comma.
std::string Record(const std::vector<std::string>& lines) {
  std::string record = kHeader;
  for (const std::string& line : lines) record += "," + line;
  return record;
}

// An fLI set whose slot n carries the channel keys[n-1], tagged n.
std::string FliSet(const std::vector<int>& channels) {
  std::vector<std::string> lines;
  for (std::size_t slot = 0; slot < channels.size(); ++slot) {
    lines.push_back(FliLine(Key(channels[slot]), static_cast<int>(slot + 1)));
  }
  return Record(lines);
}

// The line in slot n (W - 1 characters after the slot's comma).
std::string SlotLine(const std::string& record, int slot, std::size_t width) {
  return record.substr(19 + static_cast<std::size_t>(slot - 1) * width, width - 1);
}

class SetRecordBuilderTest : public ::testing::Test {
 protected:
  std::string Build(const std::string& setRecord,
                    ProcessorType type = ProcessorType::fLI) {
    rig.context.state.setRecord = setRecord;
    rig.context.state.processorType = type;
    BuildSetRecord(rig.context);
    return rig.context.state.sortedRecord;
  }
  void SetMarker(const std::string& text) { rig.surface.SetText(TextBox::Text1, text); }

  CaptureRun rig;
};

const std::vector<int> kInOrder = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
const std::vector<int> kReverse = {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};

TEST_F(SetRecordBuilderTest, InOrderGivesTheRecordWithTheMarkerAndTwoSpaces) {
  SetMarker("AB12");
  const std::string record = FliSet(kInOrder);
  ASSERT_EQ(record.size(), 322u);
  const std::string sorted = Build(record);
  EXPECT_EQ(sorted, "AB12" + record.substr(4) + "  ");
  EXPECT_EQ(sorted.size(), 324u);
}

TEST_F(SetRecordBuilderTest, TheDefaultMarkerLeavesTheHeaderAsItIs) {
  const std::string record = FliSet(kInOrder);
  EXPECT_EQ(Build(record), record + "  ");
}

TEST_F(SetRecordBuilderTest, ReverseOrderIsSortedAndEndsInCommaSpace) {
  const std::string record = FliSet(kReverse);
  std::string expected = kHeader;
  for (int channel = 1; channel <= 16; ++channel) expected += "," + FliLine(Key(channel), 17 - channel);
  expected += ", ";
  const std::string sorted = Build(record);
  EXPECT_EQ(sorted, expected);
  EXPECT_EQ(sorted.size(), 324u);
}

TEST_F(SetRecordBuilderTest, MissingChannelKeepsItsArrivalLineAndLastMatchWins) {
  // Channel 05 missing, channel 06 in slots 5 and 6.
  const std::string record = FliSet({1, 2, 3, 4, 6, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  const std::string sorted = Build(record);
  EXPECT_EQ(SlotLine(sorted, 5, 19), FliLine("06", 5));
  EXPECT_EQ(SlotLine(sorted, 6, 19), FliLine("06", 6));
  EXPECT_EQ(sorted, record + "  ");
}

TEST_F(SetRecordBuilderTest, LastOfThreeMatchesWins) {
  // Channel 07 in slots 2, 7 and 12; no channel 02 or 12.
  const std::string record = FliSet({1, 7, 3, 4, 5, 6, 7, 8, 9, 10, 11, 7, 13, 14, 15, 16});
  const std::string sorted = Build(record);
  EXPECT_EQ(SlotLine(sorted, 2, 19), FliLine("07", 2));
  EXPECT_EQ(SlotLine(sorted, 7, 19), FliLine("07", 12));
  EXPECT_EQ(SlotLine(sorted, 12, 19), FliLine("07", 12));
}

TEST_F(SetRecordBuilderTest, Key17WithoutChannel03StaysInItsSlot) {
  const std::string record = FliSet({1, 2, 17, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  const std::string sorted = Build(record);
  EXPECT_EQ(SlotLine(sorted, 3, 19), FliLine("17", 3));
  EXPECT_EQ(sorted, record + "  ");
}

TEST_F(SetRecordBuilderTest, Key17IsOverwrittenByAChannel03LineElsewhere) {
  // Channel 03 arrives last, in slot 16; no channel 16.
  const std::string record = FliSet({1, 2, 17, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 3});
  const std::string sorted = Build(record);
  EXPECT_EQ(SlotLine(sorted, 3, 19), FliLine("03", 16));
  EXPECT_EQ(SlotLine(sorted, 16, 19), FliLine("03", 16));  // its own arrival slot
  EXPECT_EQ(sorted.find(FliLine("17", 3)), std::string::npos);
  EXPECT_EQ(sorted.substr(322), "  ");
  EXPECT_EQ(sorted.size(), 324u);
}

TEST_F(SetRecordBuilderTest, Key00IsNeverCopied) {
  // 00 in slot 1 with channel 01 arriving in slot 16.
  const std::string record = FliSet({0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1});
  const std::string sorted = Build(record);
  EXPECT_EQ(SlotLine(sorted, 1, 19), FliLine("01", 16));
  EXPECT_EQ(sorted.find(FliLine("00", 1)), std::string::npos);
  // 00 and 17 without the channel of their slot: each stays where it came.
  const std::string kept = Build(FliSet({1, 2, 17, 0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
  EXPECT_EQ(SlotLine(kept, 3, 19), FliLine("17", 3));
  EXPECT_EQ(SlotLine(kept, 4, 19), FliLine("00", 4));
}

TEST_F(SetRecordBuilderTest, Channel16FromAnEarlySlotAndFromSlot16EndsInCommaSpace) {
  // Channel 16 in slot 3 and in slot 16; no channel 03.
  const std::string record = FliSet({1, 2, 16, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  const std::string sorted = Build(record);
  EXPECT_EQ(SlotLine(sorted, 16, 19), FliLine("16", 16));
  EXPECT_EQ(SlotLine(sorted, 3, 19), FliLine("16", 3));
  EXPECT_EQ(sorted.substr(322), ", ");
}

TEST_F(SetRecordBuilderTest, ATwoCharacterMarkerReplacesOnlyTheFirstTwo) {
  SetMarker("AB");
  const std::string record = FliSet(kInOrder);
  const std::string sorted = Build(record);
  EXPECT_EQ(sorted.substr(0, 4), "AB01");
  EXPECT_EQ(sorted.substr(4), record.substr(4) + "  ");
}

TEST_F(SetRecordBuilderTest, ALongerMarkerGivesOnlyItsFirstFour) {
  SetMarker("ABCDEFG");
  const std::string record = FliSet(kInOrder);
  const std::string sorted = Build(record);
  EXPECT_EQ(sorted.substr(0, 18), "ABCD20261206143015");
  EXPECT_EQ(sorted.size(), 324u);
}

TEST_F(SetRecordBuilderTest, AnEmptyMarkerLeavesFL01) {
  SetMarker("");
  const std::string record = FliSet(kInOrder);
  EXPECT_EQ(Build(record).substr(0, 4), "fL01");
}

TEST_F(SetRecordBuilderTest, AnFLIISetHas676Characters) {
  std::vector<std::string> lines;
  for (int slot = 1; slot <= 16; ++slot) lines.push_back(FliiLine(Key(17 - slot), slot));
  const std::string record = Record(lines);
  ASSERT_EQ(record.size(), 674u);
  const std::string sorted = Build(record, ProcessorType::fLII);
  ASSERT_EQ(sorted.size(), 676u);
  for (int channel = 1; channel <= 16; ++channel) {
    EXPECT_EQ(SlotLine(sorted, channel, 41), FliiLine(Key(channel), 17 - channel)) << channel;
  }
  EXPECT_EQ(sorted.substr(674), ", ");
  EXPECT_EQ(sorted.substr(0, 18), kHeader);
}

TEST_F(SetRecordBuilderTest, AnFLIISetInOrderIsUnchanged) {
  std::vector<std::string> lines;
  for (int slot = 1; slot <= 16; ++slot) lines.push_back(FliiLine(Key(slot), slot));
  const std::string record = Record(lines);
  EXPECT_EQ(Build(record, ProcessorType::fLII), record + "  ");
}

TEST_F(SetRecordBuilderTest, AnyTypeOtherThanFLIICountsAsFLI) {
  const std::string record = FliSet(kReverse);
  const std::string asFli = Build(record, ProcessorType::fLI);
  EXPECT_EQ(Build(record, static_cast<ProcessorType>(7)), asFli);
}

TEST_F(SetRecordBuilderTest, MixedWidthsDoNotCrashAndKeepTheLength) {
  // The type became fLII while the set was collected: 18- and 40-character
  // lines in one record.
  std::vector<std::string> lines;
  for (int slot = 1; slot <= 16; ++slot) {
    lines.push_back(slot % 2 ? FliLine(Key(17 - slot), slot) : FliiLine(Key(17 - slot), slot));
  }
  const std::string record = Record(lines);
  const std::string sorted = Build(record, ProcessorType::fLII);
  EXPECT_EQ(sorted.size(), record.size() + 2);
  EXPECT_EQ(sorted.substr(4, 14), kHeader.substr(4));
}

TEST_F(SetRecordBuilderTest, ACopyWhoseTargetLiesPastTheEndIsSkipped) {
  // An fLI set built while the type is fLII (W = 41): position 61 is the
  // first character of slot 3's field 2, which reads "09" here, so channel
  // 9's target (348) lies past the end of the 324 characters.
  std::vector<std::string> lines;
  for (int slot = 1; slot <= 16; ++slot) lines.push_back(FliLine(Key(slot), slot == 3 ? 90 : slot));
  const std::string record = Record(lines);
  ASSERT_EQ(record.substr(60, 2), "09");
  const std::string sorted = Build(record, ProcessorType::fLII);
  EXPECT_EQ(sorted.size(), 324u);
  EXPECT_EQ(sorted.substr(0, 18), kHeader);
}

TEST_F(SetRecordBuilderTest, AnFLIISetUnderFLIKeepsItsLength) {
  std::vector<std::string> lines;
  for (int slot = 1; slot <= 16; ++slot) lines.push_back(FliiLine(Key(17 - slot), slot));
  const std::string record = Record(lines);
  EXPECT_EQ(Build(record, ProcessorType::fLI).size(), 676u);
}

TEST_F(SetRecordBuilderTest, ShortOrEmptyRecordsDoNotCrash) {
  EXPECT_EQ(Build(""), "fL");
  EXPECT_EQ(Build("fL01"), "fL01  ");
  const std::string partial = FliSet({5, 4, 3});
  EXPECT_EQ(Build(partial).size(), partial.size() + 2);
  EXPECT_EQ(Build(partial, ProcessorType::fLII).size(), partial.size() + 2);
}

TEST_F(SetRecordBuilderTest, OnlySortedRecordChanges) {
  CaptureState& state = rig.context.state;
  state.setLines = ",x";
  state.shortLines = "y";
  state.lineStamps = "z";
  const std::string record = FliSet(kReverse);
  Build(record);
  EXPECT_EQ(state.setRecord, record);
  EXPECT_EQ(state.setLines, ",x");
  EXPECT_EQ(state.shortLines, "y");
  EXPECT_EQ(state.lineStamps, "z");
  EXPECT_EQ(state.processorType, ProcessorType::fLI);
  EXPECT_TRUE(rig.surface.log.empty()) << "the builder only reads Text1";
}

TEST_F(SetRecordBuilderTest, RebuildsFromNothingForEverySet) {
  Build(FliSet(kReverse));
  const std::string second = FliSet(kInOrder);
  EXPECT_EQ(Build(second), second + "  ");
}

}  // namespace
}  // namespace tally
