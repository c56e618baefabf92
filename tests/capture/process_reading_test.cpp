// Set assembly and run end, driven line by line through ProcessReading on
// the test doubles (the burst waits in the scripted port's buffer).

#include "capture/process_reading.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "doubles/state_expectations.h"
#include "doubles/capture_run.h"

namespace tally {
namespace {

using testing::CaptureRun;

class ProcessReadingTest : public ::testing::Test {
 protected:
  void SetObsRemaining(double sets) { rig.context.state.obsRemaining = sets; }

  void Process(const std::string& burst) { ProcessReading(rig.context, burst); }
  // Lines for channels first..first+count-1 (channels wrap after 16).
  void ProcessLines(int count, int first = 1) {
    for (int i = 0; i < count; ++i) Process(CaptureRun::BurstFor((first + i - 1) % 16 + 1));
  }
  // Channel 1 alarms high for every line of CaptureRun::BurstFor(1): a way to see
  // whether the alarm check ran.
  void AlarmOnChannel1() { rig.context.state.channels[1].highLimit = 4; }
  int HighAlarmsSent() const { return rig.Sent("Channel High:"); }

  CaptureRun rig;
  const CaptureState& state = rig.context.state;
};

TEST_F(ProcessReadingTest, LinesAreListedAccumulatedAndCounted) {
  SetObsRemaining(1);
  ProcessLines(3);

  EXPECT_EQ(rig.surface.list1, (std::vector<std::string>{CaptureRun::LineFor(1), CaptureRun::LineFor(2), CaptureRun::LineFor(3)}));
  EXPECT_EQ(state.lineCount, 3);
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "3");
  EXPECT_EQ(state.setLines, "," + CaptureRun::LineFor(1) + "," + CaptureRun::LineFor(2) + "," + CaptureRun::LineFor(3));
  EXPECT_EQ(state.shortLines, CaptureRun::LineFor(1) + "\r\n" + CaptureRun::LineFor(2) + "\r\n" + CaptureRun::LineFor(3) + "\r\n");
  EXPECT_EQ(state.lineStamps, std::string("14:30:15 12-06-2026\r\n") + "14:30:15 12-06-2026\r\n" +
                                  "14:30:15 12-06-2026\r\n");
  EXPECT_FALSE(rig.surface.indicatorColour.has_value());
}

TEST_F(ProcessReadingTest, ShortLinesKeepTheFirst18CharactersOfALongLine) {
  SetObsRemaining(1);
  Process("3,120,12345,1,7,99999,0,12000");
  EXPECT_EQ(state.shortLines, "03,120,12345,00001\r\n");
  EXPECT_EQ(state.setLines, ",03,120,12345,00001,007,99999,00000,12000");
}

TEST_F(ProcessReadingTest, FifteenthLineShowsUpdatePendingBeforeTheSetIsWritten) {
  SetObsRemaining(1);
  ProcessLines(15);
  EXPECT_EQ(rig.surface.indicatorColour, kGreen);
  EXPECT_EQ(rig.surface.CaptionOf(Caption::Label1), " Update pending ... ");
  EXPECT_FALSE(rig.dir.Exists("fl.db1"));
  EXPECT_EQ(rig.program.beeps, 0);
}

TEST_F(ProcessReadingTest, SixteenthLineCompletesTheSet) {
  SetObsRemaining(2);
  ProcessLines(16);

  std::string record = "fL0120261206143015";
  std::string shortLines;
  for (int channel = 1; channel <= 16; ++channel) {
    record += "," + CaptureRun::LineFor(channel);
    shortLines += CaptureRun::LineFor(channel) + "\r\n";
  }
  EXPECT_EQ(state.setRecord, record);
  EXPECT_EQ(rig.dir.Read("ct.cap"), shortLines + "\r\n");
  std::string stamps;
  for (int line = 0; line < 16; ++line) stamps += "14:30:15 12-06-2026\r\n";
  EXPECT_EQ(rig.dir.Read("ferro2.cap"), stamps + "\r\n");
  EXPECT_TRUE(rig.dir.Exists("fl.db1"));
  EXPECT_TRUE(rig.dir.Exists("usage.cap"));

  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "16");
  EXPECT_EQ(rig.surface.indicatorColour, kGreen);
  EXPECT_EQ(rig.surface.CaptionOf(Caption::Label1), "We have a good reading ");
  EXPECT_EQ(rig.surface.CaptionOf(Caption::Label4), "1");
  EXPECT_EQ(rig.surface.Text(TextBox::Text3), "1");
  EXPECT_EQ(rig.program.beeps, 1);
  EXPECT_EQ(state.lineCount, 0);
  EXPECT_EQ(state.obsCount, 1);
  EXPECT_TRUE(state.setLines.empty());
  EXPECT_TRUE(state.shortLines.empty());
  EXPECT_TRUE(state.lineStamps.empty());
  EXPECT_EQ(rig.program.ends, 0);

  Process(CaptureRun::BurstFor(1));
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "1");
}

// The clock moves on one second at every reading, to tell the stamps of
// the burst from the clock reading of its lineStamps entry.
TEST(ProcessReadingClockTest, LineStampsReadTheClockAgainAndTheRecordCarriesTheLastStamps) {
  CaptureRun rig;
  rig.time.SetClock({2026, 12, 6, 14, 30, 0});
  rig.time.StepAtEveryReading(1);
  CaptureContext& context = rig.context;
  context.state.obsRemaining = 2;
  for (int channel = 1; channel <= 16; ++channel) {
    ProcessReading(context, CaptureRun::BurstFor(channel));
  }
  // Two readings per line: the stamps (even seconds), then the entry (odd).
  std::string entries;
  for (int line = 0; line < 16; ++line) {
    const int second = 2 * line + 1;
    entries += "14:30:" + std::string(second < 10 ? "0" : "") + std::to_string(second) +
               " 12-06-2026\r\n";
  }
  EXPECT_EQ(rig.dir.Read("ferro2.cap"), entries + "\r\n");
  EXPECT_EQ(context.state.setRecord.substr(0, 18), "fL0120261206143030");
}

struct SetCountdownCase {
  double obsRemaining;
  std::string text3After;
  bool runEnds;
};

void PrintTo(const SetCountdownCase& c, std::ostream* out) { *out << "obsRemaining " << c.obsRemaining; }

class SetCountdownTest : public ProcessReadingTest,
                         public ::testing::WithParamInterface<SetCountdownCase> {};

TEST_P(SetCountdownTest, CompletedSetLowersObsRemainingAndEndsTheRunBelowOne) {
  rig.port.open = true;
  AlarmOnChannel1();
  SetObsRemaining(GetParam().obsRemaining);
  rig.surface.SetText(TextBox::Text3, "untouched");
  ProcessLines(15, 2);  // channels 2..16
  Process(CaptureRun::BurstFor(1));  // the 16th line alarms unless the run ends at it

  EXPECT_EQ(rig.program.beeps, 1);
  EXPECT_EQ(rig.program.ends, GetParam().runEnds ? 1 : 0);
  EXPECT_EQ(rig.context.ended, GetParam().runEnds);
  EXPECT_EQ(HighAlarmsSent(), GetParam().runEnds ? 0 : 1);
  if (GetParam().runEnds) {
    EXPECT_EQ(rig.surface.Text(TextBox::Text3), "0");  // EndRun's "0"
  } else {
    EXPECT_EQ(rig.surface.Text(TextBox::Text3), GetParam().text3After);
    EXPECT_DOUBLE_EQ(state.obsRemaining, GetParam().obsRemaining - 1);
  }
}

INSTANTIATE_TEST_SUITE_P(, SetCountdownTest,
                         ::testing::Values(SetCountdownCase{2, "1", false},
                                           SetCountdownCase{2.5, "1.5", false},
                                           SetCountdownCase{3, "2", false},
                                           SetCountdownCase{1, "0", true},
                                           SetCountdownCase{1.5, "0.5", true}));

TEST_F(ProcessReadingTest, CompletedSetWithNoSetsWantedIsWrittenBeepsAndEndsWithoutCountdown) {
  rig.port.open = true;
  rig.context.state.lineCount = 15;
  SetObsRemaining(0);
  rig.surface.SetText(TextBox::Text3, "0");
  Process(CaptureRun::BurstFor(16));
  EXPECT_EQ(rig.program.beeps, 1);
  EXPECT_TRUE(rig.dir.Exists("fl.db1"));
  EXPECT_DOUBLE_EQ(state.obsRemaining, 0);
  EXPECT_EQ(rig.program.ends, 1);
}

TEST_F(ProcessReadingTest, RunBelowOneSetEndsAtTheLineWithoutAlarmCheck) {
  rig.port.open = true;
  AlarmOnChannel1();
  SetObsRemaining(0.5);
  Process(CaptureRun::BurstFor(1));

  EXPECT_EQ(rig.surface.list1, std::vector<std::string>{CaptureRun::LineFor(1)});
  EXPECT_EQ(state.lineCount, 1);
  EXPECT_EQ(HighAlarmsSent(), 0);
  EXPECT_FALSE(rig.dir.Exists("fl.db1"));
  EXPECT_EQ(rig.program.ends, 1);
  EXPECT_FALSE(rig.port.open);
}

TEST_F(ProcessReadingTest, AlarmCheckRunsForEveryLineWhileSetsRemain) {
  rig.port.open = true;
  AlarmOnChannel1();
  SetObsRemaining(1);
  Process(CaptureRun::BurstFor(1));
  Process(CaptureRun::BurstFor(2));
  Process(CaptureRun::BurstFor(1));
  EXPECT_EQ(HighAlarmsSent(), 2);
}

TEST_F(ProcessReadingTest, SetFilesThatCannotBeWrittenAreReportedAndTheRunGoesOn) {
  std::filesystem::create_directory(rig.dir.dataPath() + "fl.db1");  // no file can go there
  SetObsRemaining(2);
  ProcessLines(16);

  ASSERT_EQ(rig.surface.list2.size(), 1u);
  EXPECT_NE(rig.surface.list2[0].find("fl.db1"), std::string::npos);
  EXPECT_TRUE(rig.dir.Exists("ct.cap"));
  EXPECT_EQ(state.obsCount, 1);
  EXPECT_EQ(rig.program.beeps, 1);
  EXPECT_EQ(rig.program.ends, 0);
}

// Bursts the decoder cannot make a line of, and what List2 must show.
struct RejectedBurstCase {
  std::string burst;
  std::string shown;  // the burst as List2 shows it
};

void PrintTo(const RejectedBurstCase& c, std::ostream* out) { *out << '"' << c.shown << '"'; }

class RejectedBurstTest : public ProcessReadingTest,
                          public ::testing::WithParamInterface<RejectedBurstCase> {};

TEST_P(RejectedBurstTest, RejectedBurstIsReportedAndNotTaken) {
  SetObsRemaining(1);
  AlarmOnChannel1();
  rig.port.open = true;
  Process(CaptureRun::BurstFor(1));
  const std::string setBefore = state.setLines;

  Process(GetParam().burst);

  EXPECT_EQ(state.lineCount, 1);
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "1");
  EXPECT_EQ(state.setLines, setBefore);
  EXPECT_EQ(rig.surface.list1.size(), 1u);
  EXPECT_EQ(HighAlarmsSent(), 1);
  EXPECT_TRUE(rig.port.pending().empty());
  ASSERT_EQ(rig.surface.list2.size(), 2u);  // the alarm of line 1, then the rejection
  const std::string& entry = rig.surface.list2.back();
  EXPECT_EQ(entry.rfind("Reading rejected: ", 0), 0u) << entry;
  EXPECT_NE(entry.find("burst \"" + GetParam().shown + "\""), std::string::npos) << entry;
  for (const char c : entry) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << entry;
}

INSTANTIATE_TEST_SUITE_P(
    , RejectedBurstTest,
    ::testing::Values(RejectedBurstCase{"", ""}, RejectedBurstCase{"x,y", "x,y"},
                      RejectedBurstCase{"1,,3", "1,,3"},
                      RejectedBurstCase{"\x02" "a\r\n", "\\x02a\\r\\n"},
                      RejectedBurstCase{std::string(70, 'z'), std::string(60, 'z') + "..."}));

TEST_F(ProcessReadingTest, RejectedBurstStillEndsARunWithNoSetsLeft) {
  rig.port.open = true;
  SetObsRemaining(0);
  Process("x,y");
  EXPECT_EQ(state.lineCount, 0);
  EXPECT_EQ(rig.program.ends, 1);
}

TEST(RejectedBurstRunTest, RejectedBurstLeavesTheSetAsIfItHadNeverCome) {
  CaptureRun clean;
  CaptureRun interrupted;
  for (CaptureRun* rig : {&clean, &interrupted}) {
    rig->context.state.obsRemaining = 3;
    for (int channel = 1; channel <= 20; ++channel) {
      if (rig == &interrupted && channel == 9) ProcessReading(rig->context, "not,a,reading");
      ProcessReading(rig->context, CaptureRun::BurstFor((channel - 1) % 16 + 1));
    }
  }
  for (const char* name : {"fl.db1", "ct.cap", "usage.cap", "ferro2.cap"}) {
    EXPECT_TRUE(clean.dir.Exists(name)) << name;
    EXPECT_EQ(interrupted.dir.Read(name), clean.dir.Read(name)) << name;
  }
  testing::ExpectSameSetInProgress(interrupted.context.state, clean.context.state);
  EXPECT_EQ(interrupted.surface.list1, clean.surface.list1);
}

TEST(EndRunTest, BelowOneSetEndsTheProgramInOrder) {
  CaptureRun rig;
  rig.port.open = true;
  rig.time.interval = 2000;
  rig.time.Arm();
  rig.surface.SetText(TextBox::Text3, "0");
  EndRun(rig.context);

  EXPECT_TRUE(rig.context.ended);
  EXPECT_FALSE(rig.time.armed);
  EXPECT_FALSE(rig.port.open);
  EXPECT_EQ(rig.program.ends, 1);
  ASSERT_EQ(rig.port.log.size(), 2u);
  EXPECT_EQ(rig.port.log[0].rfind("output AT TALLY77:", 0), 0u);
  EXPECT_EQ(rig.port.log[1], "close");
}

TEST(EndRunTest, WithSetsRemainingSendsTheCountAndTheRunGoesOn) {
  CaptureRun rig;
  rig.port.open = true;
  rig.context.state.obsRemaining = 3;
  rig.surface.SetText(TextBox::Text3, "3");
  EndRun(rig.context);

  EXPECT_EQ(rig.port.written, std::string("AT TALLY77:\x03\r\n"));
  EXPECT_EQ(rig.surface.Text(TextBox::Text3), "0");
  EXPECT_FALSE(rig.context.ended);
  EXPECT_TRUE(rig.port.open);
  EXPECT_EQ(rig.program.ends, 0);
  EXPECT_DOUBLE_EQ(rig.context.state.obsRemaining, 3);
}

TEST(EndRunTest, ClosedPortWritesNothingAndTheRunStillEnds) {
  CaptureRun rig;
  EndRun(rig.context);
  EXPECT_TRUE(rig.port.written.empty());
  EXPECT_EQ(rig.port.log, std::vector<std::string>{});
  EXPECT_TRUE(rig.surface.list2.empty());
  EXPECT_EQ(rig.surface.Text(TextBox::Text3), "0");
  EXPECT_EQ(rig.program.ends, 1);
}

}  // namespace
}  // namespace tally
