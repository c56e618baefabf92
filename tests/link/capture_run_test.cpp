// Whole capture runs through the wired events: port press, sync tick,
// lines, completed sets, the end command and the end of the program.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "capture/process_reading.h"
#include "doubles/capture_run.h"
#include "link/port_selection.h"

namespace tally {
namespace {

using testing::CaptureRun;

std::string EndCommand(char count) {
  std::string command = "AT TALLY77:";
  command.push_back(count);
  return command + "\r\n";
}

int LinesIn(const std::string& file) { return testing::CountOf(file, "\r\n"); }

bool Logged(const CaptureRun& run, const std::string& change) {
  for (const std::string& entry : run.surface.log) {
    if (entry == change) return true;
  }
  return false;
}

class CaptureRunTest : public ::testing::Test {
 protected:
  // Port 1 pressed with Obs # given, the sync burst gone, channels 1 and 16
  // alarming high at every line (so that a run of alarm checks shows).
  void StartRun(const std::string& obs) {
    run.SetObs(obs);
    run.PressPort(1);
    run.SyncBurst();
    run.context.state.channels[1].highLimit = 4;
    run.context.state.channels[16].highLimit = 4;
  }
  int HighAlarms() const { return run.Sent("AT TALLY77 Channel High:"); }

  CaptureRun run{testing::kWithSupportFiles};
};

TEST_F(CaptureRunTest, ObsOneRunsOneSetAndEndsTheProgram) {
  StartRun("1");
  EXPECT_EQ(run.surface.list1, std::vector<std::string>{"sync "});
  EXPECT_EQ(run.surface.indicatorColour, kYellow);
  EXPECT_EQ(run.context.state.lineCount, 0);

  run.Lines(16);

  std::vector<std::string> expectedList{"sync "};
  for (int channel = 1; channel <= 16; ++channel) expectedList.push_back(CaptureRun::LineFor(channel));
  EXPECT_EQ(run.surface.list1, expectedList);
  // The record; 16 short lines and an empty line; 16 lines (the last line
  // end cut off and put back); 16 stamps and an empty line.
  const std::vector<std::pair<std::string, int>> files{
      {"fl.db1", 1}, {"ct.cap", 17}, {"usage.cap", 16}, {"ferro2.cap", 17}};
  for (const auto& [name, lines] : files) EXPECT_EQ(LinesIn(run.dir.Read(name)), lines) << name;
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label4), "1");
  EXPECT_EQ(run.surface.Text(TextBox::Text3), "0");
  EXPECT_EQ(run.program.beeps, 1);
  EXPECT_EQ(HighAlarms(), 1);  // line 1's; the last line gets no check
  ASSERT_GE(run.port.written.size(), 14u);
  EXPECT_EQ(run.port.written.substr(run.port.written.size() - 14), EndCommand('\0'));
  EXPECT_FALSE(run.port.open);
  EXPECT_EQ(run.port.log.back(), "close");
  EXPECT_FALSE(run.time.armed);
  EXPECT_EQ(run.program.ends, 1);
}

TEST_F(CaptureRunTest, ObsTwoGoesOnAfterTheFirstSet) {
  StartRun("2");
  run.Lines(16);
  EXPECT_EQ(run.surface.Text(TextBox::Text3), "1");
  EXPECT_EQ(run.surface.Text(TextBox::Text2), "16");
  EXPECT_TRUE(run.port.open);
  EXPECT_EQ(run.program.ends, 0);

  run.Lines(1);
  EXPECT_EQ(run.surface.Text(TextBox::Text2), "1");
  run.Lines(15, 2);

  EXPECT_EQ(LinesIn(run.dir.Read("fl.db1")), 2);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label4), "2");
  EXPECT_EQ(run.program.beeps, 2);
  EXPECT_EQ(HighAlarms(), 3);  // lines 1 and 16 of the first set, line 1 of the last
  EXPECT_EQ(run.Sent(EndCommand('\0')), 1);
  EXPECT_EQ(run.program.ends, 1);
}

TEST_F(CaptureRunTest, FractionalObsCountsDownThroughTheHalfAndEndsWithCountZero) {
  StartRun("2.5");
  run.Lines(16);
  EXPECT_EQ(run.surface.Text(TextBox::Text3), "1.5");
  EXPECT_EQ(run.program.ends, 0);

  run.Lines(16);
  EXPECT_TRUE(Logged(run, "Text3=0.5"));
  EXPECT_EQ(run.surface.Text(TextBox::Text3), "0");
  EXPECT_EQ(run.Sent(EndCommand('\0')), 1);
  EXPECT_EQ(run.program.ends, 1);
  EXPECT_EQ(LinesIn(run.dir.Read("fl.db1")), 2);
}

TEST_F(CaptureRunTest, EndNowWithSetsWantedSendsTheCountAndTheNextLineEndsTheRun) {
  StartRun("3");
  run.Lines(5);
  EndRun(run.context);  // "End now"

  EXPECT_EQ(run.Sent(EndCommand('\x03')), 1);
  EXPECT_EQ(run.surface.Text(TextBox::Text3), "0");
  EXPECT_TRUE(run.port.open);
  EXPECT_EQ(run.program.ends, 0);

  run.Lines(1, 6);
  EXPECT_EQ(run.Sent(EndCommand('\0')), 1);
  EXPECT_EQ(run.context.state.lineCount, 6);
  EXPECT_FALSE(run.dir.Exists("fl.db1"));
  EXPECT_FALSE(run.port.open);
  EXPECT_EQ(run.program.ends, 1);
}

TEST_F(CaptureRunTest, EndNowBeforeAnyCommEventEndsAtOnce) {
  run.PressPort(1);
  EndRun(run.context);
  EXPECT_EQ(run.port.written, EndCommand('\x01'));
  EXPECT_FALSE(run.port.open);
  EXPECT_EQ(run.program.ends, 1);
}

TEST_F(CaptureRunTest, NoEventIsHandledAfterTheEnd) {
  StartRun("1");
  run.Lines(16);
  ASSERT_TRUE(run.context.ended);
  const auto portLog = run.port.log;
  const auto surfaceLog = run.surface.log;
  const int armings = run.time.armings;

  // The port's and the timer's events; the window's buttons are held back
  // by the window's own wiring.
  run.port.Receive(CaptureRun::BurstFor(1));
  run.time.Advance(10000);
  run.port.ReportLink(false, "Com1 lost");

  EXPECT_EQ(run.time.armings, armings);
  EXPECT_EQ(run.port.log, portLog);
  EXPECT_EQ(run.surface.log, surfaceLog);
  EXPECT_EQ(run.program.ends, 1);
}

TEST_F(CaptureRunTest, LinkChangesReachTheOperatorWhileTheRunGoesOn) {
  StartRun("1");
  run.port.ReportLink(false, "Com1 lost");
  ASSERT_FALSE(run.surface.list2.empty());
  EXPECT_NE(run.surface.list2.back().find("Com1 lost"), std::string::npos);
}

TEST_F(CaptureRunTest, RejectedBurstInARunIsSkipped) {
  StartRun("1");
  run.Lines(8);
  run.Burst("garbage\x02");
  run.Lines(8, 9);
  EXPECT_EQ(run.surface.list1.size(), 17u);
  EXPECT_EQ(run.program.ends, 1);
  EXPECT_EQ(LinesIn(run.dir.Read("ct.cap")), 17);
}

}  // namespace
}  // namespace tally
