#include "support/init_command.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "common/path_text.h"
#include "doubles/capture_run.h"
#include "support/bill_template.h"
#include "support/channel_table_file.h"
#include "support/rate_file.h"

namespace tally {
namespace {

using testing::CaptureRun;

TEST(InitCommand, RefusedWhileObsNumberIsAboveZero) {
  for (const std::string obs : {"1", "0.5", " 2", "3 sets"}) {
    SCOPED_TRACE("Obs # \"" + obs + "\"");
    CaptureRun rig;
    rig.surface.SetText(TextBox::Text3, obs);
    rig.surface.SetText(TextBox::Text1, "hand");
    rig.surface.directory = "/elsewhere/P099";
    rig.context.state.processorType = ProcessorType::fLII;
    const std::string dataPathBefore = rig.context.state.dataPath;

    OnInitCommand(rig.context);

    EXPECT_EQ(rig.surface.list2, std::vector<std::string>{"invalid operation"});
    EXPECT_FALSE(rig.dir.Exists("ferro.dat"));
    EXPECT_FALSE(rig.dir.Exists("ct.dat"));
    EXPECT_FALSE(rig.dir.Exists("ferro.txt"));
    EXPECT_EQ(rig.context.state.dataPath, dataPathBefore);
    EXPECT_EQ(rig.surface.Text(TextBox::Text1), "hand");
    EXPECT_EQ(rig.context.state.processorType, ProcessorType::fLII);
  }
}

TEST(InitCommand, WritesTheThreeDefaultFilesWhenObsNumberIsNotAboveZero) {
  for (const std::string obs : {"", "0", "-1", "none", "0.0"}) {
    SCOPED_TRACE("Obs # \"" + obs + "\"");
    CaptureRun rig;
    rig.context.state.dataPath.clear();
    rig.context.state.processorType = ProcessorType::fLII;
    rig.surface.SetText(TextBox::Text3, obs);
    rig.dir.Write("ct.dat", "old table");

    OnInitCommand(rig.context);

    EXPECT_EQ(rig.context.state.dataPath, rig.dir.dataPath());
    EXPECT_EQ(rig.context.state.processorType, ProcessorType::fLI);
    EXPECT_EQ(rig.dir.Read("ferro.dat"), DefaultRateFile());
    EXPECT_EQ(rig.dir.Read("ct.dat"), DefaultChannelTable());
    EXPECT_EQ(rig.dir.Read("ferro.txt"), DefaultBillTemplate());
    EXPECT_EQ(rig.dir.Read("ferro.dat").size(), 329u);
    EXPECT_EQ(rig.dir.Read("ct.dat").size(), 1168u);
    EXPECT_EQ(rig.dir.Read("ferro.txt").size(), 553u);
    EXPECT_EQ(rig.surface.list2, std::vector<std::string>{"files created"});
    EXPECT_EQ(rig.surface.Text(TextBox::Text2), "");
  }
}

TEST(InitCommand, FilesItWritesLoadWithoutMessage) {
  CaptureRun rig;
  rig.surface.SetText(TextBox::Text3, "0");
  OnInitCommand(rig.context);
  LoadRateFile(rig.context);
  LoadChannelTable(rig.context);
  CheckBillTemplate(rig.context);
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "");
  const std::array<double, 5> expected = {12.75, 2516.447, 6.95, 1, 0};
  EXPECT_EQ(rig.context.state.rateValues, expected);
  EXPECT_EQ(rig.context.state.channels[16].lowLimit, 999);
}

TEST(InitCommand, UnwritableDirectoryShowsLastProblemAndStillSaysFilesCreated) {
  CaptureRun rig;
  rig.surface.SetText(TextBox::Text3, "");
  rig.surface.directory = rig.dir.path() + kPathSeparator + "missing";
  OnInitCommand(rig.context);
  EXPECT_EQ(rig.surface.Text(TextBox::Text2), "Problem creating file ferro.txt");
  EXPECT_EQ(rig.surface.list2, std::vector<std::string>{"files created"});
  EXPECT_FALSE(rig.dir.Exists("missing"));
  const std::vector<std::string> problems = {
      "Text2=Problem creating file ferro.dat", "Text2=Problem creating file ct.dat",
      "Text2=Problem creating file ferro.txt"};
  std::vector<std::string> shown;
  for (const std::string& entry : rig.surface.log) {
    if (entry.rfind("Text2=", 0) == 0) shown.push_back(entry);
  }
  EXPECT_EQ(shown, problems);
}

}  // namespace
}  // namespace tally
