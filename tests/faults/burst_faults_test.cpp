// Whatever a noisy line or an odd entry in the window brings: bursts of
// junk, intervals and set counts that make no sense, channels the table
// does not have, a processor that changes type in the middle of a set. The
// run never stops on them, says what it made of them, and every completed
// set is in fl.db1 once.

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "faults/fault_run.h"
#include "link/burst_framing.h"

namespace tally::testing {
namespace {

namespace fs = std::filesystem;

std::string RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(byte(random));
  return bytes;
}

struct JunkCase {
  const char* name;
  std::string burst;
  std::string reason;  // the start of the reason List2 gives
  std::string shown;   // how List2 shows the burst, or its start
};

class JunkBurstTest : public ::testing::TestWithParam<JunkCase> {};

// Junk arrives in the middle of a set and again at the start of the next.
// It is rejected, named, not counted, and the two sets come out exactly as
// from a processor that never sent it. The processor is an fLII one, so a
// long burst of junk does not change the processor type either.
TEST_P(JunkBurstTest, JunkIsRejectedAndTheSetsAreAsWithoutIt) {
  const JunkCase& junk = GetParam();
  FreshFaultRun run;
  run.longBursts = true;
  run.Start();
  // The junk takes no time on the clock, so that the stamps are those of
  // the run without it.
  const auto junkBurst = [&run, &junk] {
    const LocalDateTime before = run.time.Now();
    run.Burst(junk.burst);
    run.time.SetClock(before);
  };
  for (int channel = 16; channel >= 12; --channel) run.Line(channel, 1);
  junkBurst();
  EXPECT_EQ(run.context.state.lineCount, 5);
  run.Set(1, 11);
  junkBurst();
  EXPECT_EQ(run.context.state.lineCount, 0);
  run.Set(2);

  const std::string entry = "Reading rejected: " + junk.reason;
  EXPECT_EQ(run.CountListed(entry), 2) << ::testing::PrintToString(run.surface.list2);
  EXPECT_TRUE(run.Listed({entry, "; burst \"" + junk.shown}));
  for (const std::string& listed : run.surface.list2) EXPECT_LT(listed.size(), 200u);
  if (junk.burst.size() > 60) {
    EXPECT_TRUE(run.Listed({entry, "...\""}));  // shown cut short
  }
  EXPECT_EQ(run.surface.list1.size(), 1u + 2u * 16u);
  EXPECT_EQ(run.Files(), ControlFiles(2, true));
}

const std::string kNulAmongGoodBursts = std::string("3,120\0,12345,1,7,99999,0,12000", 30);

INSTANTIATE_TEST_SUITE_P(
    BurstFaults, JunkBurstTest,
    ::testing::Values(
        JunkCase{"MegabyteOfRandomBytes", RandomBytes(1 << 20, 77), "item 1 ", ""},
        JunkCase{"OnlyControlCharacters", "\x01\x02\x03\x07\x1b\x7f", "item 1 ",
                 "\\x01\\x02\\x03\\x07\\x1B\\x7F\""},
        JunkCase{"OnlyLineEnds", "\r\n\r\n", "item 1 is empty", "\\r\\n\\r\\n\""},
        JunkCase{"Empty", "", "the burst is empty", "\""},
        JunkCase{"NulBytes", std::string(8, '\0'), "item 1 ", "\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\""},
        JunkCase{"NulInsideAReading", kNulAmongGoodBursts, "item 2 ", "3,120\\x00,12345"}),
    [](const ::testing::TestParamInfo<JunkCase>& info) { return std::string(info.param.name); });

struct IntervalCase {
  const char* text4;
  int used;  // milliseconds
};

class OddIntervalTest : public ::testing::TestWithParam<IntervalCase> {};

// An interval the timer cannot take is named once, a usable one is taken
// instead, and the run writes what a run at 2000 ms writes.
TEST_P(OddIntervalTest, IsNamedOnceAndTheRunGoesOn) {
  const IntervalCase& odd = GetParam();
  FreshFaultRun run;
  run.surface.SetText(TextBox::Text4, odd.text4);
  run.Start();
  run.Set(1);
  run.Set(2);
  EXPECT_EQ(run.time.interval, odd.used);
  const std::string said = "Interval \"" + std::string(odd.text4) + "\" cannot be used; " +
                           std::to_string(odd.used) + " ms used";
  EXPECT_EQ(run.CountListed(said), 1) << ::testing::PrintToString(run.surface.list2);
  if (odd.used == kDefaultBurstInterval) {
    EXPECT_EQ(run.Files(), ControlFiles(2));
  } else {  // every burst waits the whole interval: the values as at 2000 ms, the stamps weeks apart
    for (const char* name : {"ct.cap", "usage.cap"}) EXPECT_EQ(run.Read(name), ControlFile(2, name)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(BurstFaults, OddIntervalTest,
                         ::testing::Values(IntervalCase{"0", 2000}, IntervalCase{"-5", 2000},
                                           IntervalCase{"abc", 2000}, IntervalCase{"1e12", INT_MAX}),
                         [](const ::testing::TestParamInfo<IntervalCase>& info) {
                           return std::to_string(info.index);
                         });

// Obs # "abc" reads as 0 sets: the first reading after the sync burst ends
// the run with the end command's count 0. No set was completed, so none is
// written.
TEST(BurstFaults, ObsOfAbcEndsTheRunAtTheNextLine) {
  FreshFaultRun run;
  run.Start("abc");
  EXPECT_EQ(run.program.ends, 0);
  run.Line(16, 1);
  EXPECT_EQ(run.program.ends, 1);
  EXPECT_EQ(run.port.written, std::string("AT TALLY77:\0\r\n", 14));
  EXPECT_EQ(run.surface.Text(TextBox::Text3), "0");
  EXPECT_EQ(run.context.state.lineCount, 1);
  EXPECT_FALSE(fs::exists(run.directory() + "/fl.db1"));
  run.Set(1, 15);  // the program has ended: nothing more happens
  EXPECT_EQ(run.surface.list1.size(), 2u);
}

// Obs # 1e300: a run with no end in sight. One set less is still 1e300, the
// count goes on, and Text3 shows the whole number without an exponent.
TEST(BurstFaults, ObsOf1e300CountsOnAndShowsAPlainNumber) {
  FreshFaultRun run;
  run.Start("1e300");
  for (int set = 1; set <= 3; ++set) run.Set(set);
  EXPECT_EQ(run.program.ends, 0);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label4), "3");
  EXPECT_EQ(run.surface.Text(TextBox::Text3), "1" + std::string(300, '0'));
  EXPECT_EQ(run.Files(), ControlFiles(3));
}

struct ChannelCase {
  const char* burst;  // sent in place of channel 5's
  const char* said;
  const char* line;  // the line it gives: the sign goes, the width stays
};

class OddChannelTest : public ::testing::TestWithParam<ChannelCase> {};

// A line whose channel the table has no row for is taken into the set like
// any other, named in List2 and not checked. Its set is written once, with
// the record the set gave (where its two leading characters match no
// channel key, the sorting may write over it); the next set is not touched
// by it.
TEST_P(OddChannelTest, IsTakenNamedAndNotChecked) {
  const ChannelCase& odd = GetParam();
  FreshFaultRun run;
  run.Start();
  for (int channel = 16; channel >= 1; --channel) {
    if (channel == 5) {
      run.Burst(odd.burst);
    } else {
      run.Line(channel, 1);
    }
  }
  EXPECT_EQ(run.CountListed(odd.said), 1) << ::testing::PrintToString(run.surface.list2);
  EXPECT_EQ(run.context.state.obsCount, 1);
  ASSERT_EQ(run.surface.list1.size(), 1u + 16u);
  EXPECT_EQ(run.surface.list1[1 + 11], odd.line);
  EXPECT_NE(run.context.state.setRecord.find(std::string(",") + odd.line + ","), std::string::npos);
  EXPECT_EQ(run.context.state.sortedRecord.size(), run.context.state.setRecord.size() + 2);
  EXPECT_EQ(run.Read("fl.db1"), run.context.state.sortedRecord + "\r\n");

  run.Set(2);
  const std::vector<std::string> records = LinesOf(run.Read("fl.db1"));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1], LinesOf(ControlFile(2, "fl.db1"))[1]);
}

INSTANTIATE_TEST_SUITE_P(
    BurstFaults, OddChannelTest,
    ::testing::Values(
        ChannelCase{"-1,55,20,300", "Channel -1 has no limits: no alarm check", "01,055,00020,00300"},
        ChannelCase{"18,55,20,300", "Channel 18 has no limits: no alarm check", "18,055,00020,00300"},
        ChannelCase{"123,55,20,300", "Channel 123 has no limits: no alarm check", "123,055,00020,00300"}),
    [](const ::testing::TestParamInfo<ChannelCase>& info) { return std::to_string(info.index); });

// The processor changes from fLI to fLII after eight lines of a set: the
// set is finished with the wider slots, its record keeps the length of the
// lines it got (two characters more, as every record), fl.db1 gets one line
// for it, and the next set is a plain fLII set.
TEST(BurstFaults, AProcessorSwitchingTypeInTheMiddleOfASetGivesOneRecord) {
  FreshFaultRun run;
  run.Start();
  for (int channel = 16; channel >= 9; --channel) run.Line(channel, 1);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label3), "fLI");
  run.longBursts = true;
  run.Set(1, 8);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label3), "fLII");
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "We have a good reading ");
  const std::string& record = run.context.state.sortedRecord;
  EXPECT_EQ(record.size(), run.context.state.setRecord.size() + 2);
  EXPECT_EQ(run.Read("fl.db1"), record + "\r\n");

  run.Set(2);
  const std::vector<std::string> records = LinesOf(run.Read("fl.db1"));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1], LinesOf(ControlFile(2, "fl.db1", true))[1]);
  EXPECT_EQ(records[1].size(), 676u);
}

}  // namespace
}  // namespace tally::testing
