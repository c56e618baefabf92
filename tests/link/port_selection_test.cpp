// The port buttons: data directory, link preparation in order, the port
// opened, and what a press leaves alone.

#include "link/port_selection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "doubles/state_expectations.h"
#include "doubles/capture_run.h"

namespace tally {
namespace {

using testing::CaptureRun;

TEST(PortSelectionTest, FirstPressPreparesTheLinkAndOpensThePort) {
  CaptureRun run{testing::kWithSupportFiles};
  run.context.state.dataPath.clear();
  run.PressPort(3);

  EXPECT_EQ(run.port.log, (std::vector<std::string>{"settings 300,N,8,1", "port 3", "open"}));
  EXPECT_EQ(run.context.state.dataPath, run.dir.dataPath());
  EXPECT_EQ(run.surface.indicatorColour, kRed);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "Please wait 3 minutes");
  EXPECT_EQ(run.surface.Text(TextBox::Text2), "");
  EXPECT_TRUE(run.surface.list2.empty());
}

TEST(PortSelectionTest, PressWhileOpenClosesBeforeTheSettingsAndOpensTheNewPort) {
  CaptureRun run{testing::kWithSupportFiles};
  run.PressPort(1);
  run.port.log.clear();
  run.PressPort(2);
  EXPECT_EQ(run.port.log,
            (std::vector<std::string>{"close", "settings 300,N,8,1", "port 2", "open"}));
  EXPECT_TRUE(run.port.open);
}

TEST(PortSelectionTest, PressLoadsTheChannelTable) {
  CaptureRun run{testing::kWithSupportFiles};
  run.PressPort(1);
  EXPECT_FLOAT_EQ(run.context.state.channels[1].lowLimit, 999);
  EXPECT_FLOAT_EQ(run.context.state.channels[16].lowLimit, 999);
  EXPECT_FLOAT_EQ(run.context.state.channels[0].lowLimit, 0);
}

TEST(PortSelectionTest, MissingSupportFilesAreReportedAndThePortStillOpens) {
  CaptureRun run{testing::kWithSupportFiles};
  for (const char* name : {"ct.dat", "ferro.dat", "ferro.txt"}) {
    std::remove((run.dir.dataPath() + name).c_str());
  }
  run.PressPort(1);
  EXPECT_EQ(run.surface.Text(TextBox::Text2), "Problem with file ferro.txt");
  EXPECT_TRUE(run.port.open);
}

TEST(PortSelectionTest, PressInTheMiddleOfARunKeepsTheSetInProgress) {
  CaptureRun run{testing::kWithSupportFiles};
  run.surface.SetText(TextBox::Text3, "2");
  run.PressPort(1);
  run.SyncBurst();
  run.Lines(16 + 5);
  run.context.state.processorType = ProcessorType::fLII;
  const CaptureState before = run.context.state;

  run.PressPort(4);

  const CaptureState& after = run.context.state;
  testing::ExpectSameSetInProgress(after, before);
  EXPECT_EQ(after.tickCount, before.tickCount);
  EXPECT_EQ(after.setRecord, before.setRecord);
  EXPECT_EQ(after.sortedRecord, before.sortedRecord);
  EXPECT_EQ(after.processorType, ProcessorType::fLI);
  EXPECT_EQ(run.surface.Text(TextBox::Text3), "1");

  run.Lines(11, 6);
  EXPECT_EQ(run.context.state.obsCount, 2);
  EXPECT_EQ(run.program.ends, 1);
}

TEST(PortSelectionTest, PortThatCannotBeOpenedIsReportedAndAnotherCanBePressed) {
  CaptureRun run{testing::kWithSupportFiles};
  run.port.refuseOpen = true;
  run.port.openFailure = "Com1 (/dev/ttyS0): no such device";
  run.PressPort(1);

  EXPECT_FALSE(run.port.open);
  EXPECT_EQ(run.surface.list2, std::vector<std::string>{"Com1 (/dev/ttyS0): no such device"});
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "Com1 not open");
  EXPECT_EQ(run.surface.indicatorColour, kRed);
  EXPECT_EQ(run.program.ends, 0);

  run.port.refuseOpen = false;
  run.PressPort(2);
  EXPECT_TRUE(run.port.open);
  EXPECT_EQ(run.port.portNumber, 2);
  EXPECT_EQ(run.surface.CaptionOf(Caption::Label1), "Please wait 3 minutes");
}

}  // namespace
}  // namespace tally
