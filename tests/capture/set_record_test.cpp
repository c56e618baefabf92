// The set record in channel order, by position while every line has the
// type's width and by each line's key when not: each row a set record, the
// processor type and the marker, and the sorted record.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "capture/set_record.h"

namespace tally {
namespace {

const std::string kHeader = "fL0120261206143015";
constexpr ProcessorType kFli = ProcessorType::fLI;
constexpr ProcessorType kFlii = ProcessorType::fLII;

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
std::string FliLine(int channel, int tag) { return Key(channel) + "," + Tag(tag) + ",00020,00300"; }

// A 40-character fLII line, tagged the same way.
std::string FliiLine(int channel, int tag) {
  return Key(channel) + "," + Tag(tag) + ",12345,00001,007,99999,00000,12000";
}

// The header followed by every line preceded by a comma.
std::string Record(const std::vector<std::string>& lines) {
  std::string record = kHeader;
  for (const std::string& line : lines) record += "," + line;
  return record;
}

// An fLI set whose slot n carries channel channels[n-1], tagged n.
std::string FliSet(const std::vector<int>& channels) {
  std::vector<std::string> lines;
  for (std::size_t slot = 0; slot < channels.size(); ++slot) {
    lines.push_back(FliLine(channels[slot], static_cast<int>(slot + 1)));
  }
  return Record(lines);
}

// The 16 lines of channels 1..16, made by line(channel, tag of channel).
template <typename Line, typename TagOf>
std::string InChannelOrder(Line line, TagOf tagOf) {
  std::vector<std::string> lines;
  for (int channel = 1; channel <= 16; ++channel) lines.push_back(line(channel, tagOf(channel)));
  return Record(lines);
}

// The record with the line of one fLI slot replaced.
std::string WithSlot(std::string record, int slot, const std::string& line) {
  return record.replace(19 + static_cast<std::size_t>(slot - 1) * 19, line.size(), line);
}

const std::vector<int> kInOrder = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
const std::vector<int> kReverse = {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
const std::string kFliInOrder = FliSet(kInOrder);
const std::string kFliReverse = FliSet(kReverse);
// Reversed arrival, sorted: channel n came in slot 17 - n.
const std::string kFliSorted = InChannelOrder(FliLine, [](int channel) { return 17 - channel; });

struct SortCase {
  const char* what;
  std::string record;
  ProcessorType type;
  std::string marker;
  std::string sorted;
};

void PrintTo(const SortCase& c, std::ostream* out) { *out << c.what; }

class SortedRecordTest : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortedRecordTest, GivesTheRecordInChannelOrder) {
  const SortCase& c = GetParam();
  EXPECT_EQ(SortedRecord(c.record, c.type, c.marker), c.sorted);
}

std::vector<SortCase> SortCases() {
  const std::string key17 = FliSet({1, 2, 17, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 3});
  const std::string key00 = FliSet({0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1});
  const std::string seven = FliSet({1, 7, 3, 4, 5, 6, 7, 8, 9, 10, 11, 7, 13, 14, 15, 16});
  std::vector<std::string> fliiReverse;
  for (int slot = 1; slot <= 16; ++slot) fliiReverse.push_back(FliiLine(17 - slot, slot));
  const auto same = [](int channel) { return channel; };
  const std::string fliiInOrder = InChannelOrder(FliiLine, same);
  std::vector<std::string> wide, fliiWide, wideKey, mixed, mixedSorted;
  for (int slot = 1; slot <= 16; ++slot) {
    const int channel = 17 - slot;
    wide.push_back(FliLine(channel, channel == 8 ? 9999 : slot));
    fliiWide.push_back(FliiLine(channel, channel == 3 ? 12345 : slot));
    wideKey.push_back(slot == 1 ? "123,001,00020,00300" : FliLine(channel, slot));
    mixed.push_back(slot % 2 ? FliLine(channel, slot) : FliiLine(channel, slot));
    mixedSorted.push_back(slot % 2 ? FliiLine(slot, channel) : FliLine(slot, channel));
  }
  const std::string wideReverse = Record(wide);
  const std::vector<std::string> wideKeySorted(wideKey.rbegin(), wideKey.rend());
  std::vector<std::string> twice = wide;
  twice[11] = FliLine(6, 12);  // in place of channel 5's line
  std::vector<std::string> twiceSorted(wide.rbegin(), wide.rend());
  twiceSorted[4] = FliLine(6, 11);
  twiceSorted[5] = FliLine(6, 12);
  return {
      {"in order: the record and two blanks", kFliInOrder, kFli, "fL01", kFliInOrder + "  "},
      {"reverse order: sorted, comma blank at the end", kFliReverse, kFli, "fL01", kFliSorted + ", "},
      {"a type other than fLII counts as fLI", kFliReverse, static_cast<ProcessorType>(7), "fL01",
       kFliSorted + ", "},
      {"channel 05 missing, 06 twice: each keeps its arrival slot",
       FliSet({1, 2, 3, 4, 6, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), kFli, "fL01",
       FliSet({1, 2, 3, 4, 6, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) + "  "},
      {"the last of three matches wins", seven, kFli, "fL01", WithSlot(seven, 7, FliLine(7, 12)) + "  "},
      {"key 17 without channel 03 stays in its slot",
       FliSet({1, 2, 17, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), kFli, "fL01",
       FliSet({1, 2, 17, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) + "  "},
      {"key 17 is overwritten by a channel 03 line elsewhere", key17, kFli, "fL01",
       WithSlot(key17, 3, FliLine(3, 16)) + "  "},
      {"key 00 is never copied", key00, kFli, "fL01", WithSlot(key00, 1, FliLine(1, 16)) + "  "},
      {"keys 00 and 17 without their slot's channel stay",
       FliSet({1, 2, 17, 0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), kFli, "fL01",
       FliSet({1, 2, 17, 0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) + "  "},
      {"channel 16 from an early slot and from slot 16: comma blank",
       FliSet({1, 2, 16, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), kFli, "fL01",
       FliSet({1, 2, 16, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) + ", "},
      {"a four-character marker", kFliInOrder, kFli, "AB12", "AB12" + kFliInOrder.substr(4) + "  "},
      {"a two-character marker replaces the first two", kFliInOrder, kFli, "AB",
       "AB01" + kFliInOrder.substr(4) + "  "},
      {"a longer marker gives its first four", kFliInOrder, kFli, "ABCDEFG",
       "ABCD" + kFliInOrder.substr(4) + "  "},
      {"an empty marker leaves fL01", kFliInOrder, kFli, "", kFliInOrder + "  "},
      {"fLII reverse order: 676 characters", Record(fliiReverse), kFlii, "fL01",
       InChannelOrder(FliiLine, [](int channel) { return 17 - channel; }) + ", "},
      {"fLII in order is unchanged", fliiInOrder, kFlii, "fL01", fliiInOrder + "  "},
      {"an empty record", "", kFli, "fL01", "fL"},
      // A line wider or narrower than the type's: each line by its own key.
      {"a wide value in a reverse set: every channel once", wideReverse, kFli, "fL01",
       InChannelOrder(FliLine, [](int channel) { return channel == 8 ? 9999 : 17 - channel; }) + "  "},
      {"a wide fLII value: every channel once", Record(fliiWide), kFlii, "AB",
       "AB" + InChannelOrder(FliiLine, [](int channel) { return channel == 3 ? 12345 : 17 - channel; })
                  .substr(2) + "  "},
      {"06 twice and 05 missing beside a wide line: both 06 in the order they came", Record(twice), kFli,
       "fL01", Record(twiceSorted) + "  "},
      {"a wide channel number follows the channels", Record(wideKey), kFli, "fL01",
       Record(wideKeySorted) + "  "},
      {"the type changed within the set: every line once", Record(mixed), kFlii, "fL01",
       Record(mixedSorted) + "  "},
      {"a header alone", "fL01", kFli, "fL01", "fL01  "},
  };
}

INSTANTIATE_TEST_SUITE_P(, SortedRecordTest, ::testing::ValuesIn(SortCases()));

// Records whose lines do not have the width of the type: nothing breaks,
// the length is the record's and two, the header stays.
struct OddShapeCase {
  const char* what;
  std::string record;
  ProcessorType type;
};

void PrintTo(const OddShapeCase& c, std::ostream* out) { *out << c.what; }

class SortedRecordOddShapeTest : public ::testing::TestWithParam<OddShapeCase> {};

TEST_P(SortedRecordOddShapeTest, KeepsTheLengthAndTheHeader) {
  const OddShapeCase& c = GetParam();
  const std::string sorted = SortedRecord(c.record, c.type, "fL01");
  EXPECT_EQ(sorted.size(), c.record.size() + 2);
  EXPECT_EQ(sorted.substr(0, 18), c.record.substr(0, 18));
}

std::vector<OddShapeCase> OddShapeCases() {
  // The type became fLII while the set was collected: 18- and 40-character
  // lines in one record.
  std::vector<std::string> mixed;
  for (int slot = 1; slot <= 16; ++slot) {
    mixed.push_back(slot % 2 ? FliLine(17 - slot, slot) : FliiLine(17 - slot, slot));
  }
  // An fLI set under fLII (W = 41): position 61 is the first character of
  // slot 3's field 2, "09" here, so channel 9's target (348) lies past the
  // end of the 324 characters.
  std::vector<std::string> pastTheEnd;
  for (int slot = 1; slot <= 16; ++slot) pastTheEnd.push_back(FliLine(slot, slot == 3 ? 90 : slot));
  std::vector<std::string> fliiReverse;
  for (int slot = 1; slot <= 16; ++slot) fliiReverse.push_back(FliiLine(17 - slot, slot));
  return {
      {"mixed widths under fLII", Record(mixed), kFlii},
      {"a copy whose target lies past the end", Record(pastTheEnd), kFlii},
      {"an fLII set under fLI", Record(fliiReverse), kFli},
      {"three lines under fLI", FliSet({5, 4, 3}), kFli},
      {"three lines under fLII", FliSet({5, 4, 3}), kFlii},
  };
}

INSTANTIATE_TEST_SUITE_P(, SortedRecordOddShapeTest, ::testing::ValuesIn(OddShapeCases()));

}  // namespace
}  // namespace tally
