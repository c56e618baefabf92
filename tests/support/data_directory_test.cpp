#include "support/data_directory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/reading_decoder.h"
#include "doubles/capture_run.h"
#include "doubles/temp_dir.h"

namespace tally {
namespace {

using testing::CaptureRun;

struct DirectoryCase {
  std::string directory;  // as the directory list gives it
  std::string dataPath;
  std::string marker;
};

TEST(SelectDataDirectory, DataPathEndsInOneSeparatorAndMarkerComesFromItsEnd) {
  const std::vector<DirectoryCase> cases = {
      {"/meter/P017", "/meter/P017/", "P017"},
      {"/", "/", "/"},
      {"/meter/AB", "/meter/AB/", "r/AB"},
      {"/meter/PROC0007", "/meter/PROC0007/", "0007"},
      {"/ab", "/ab/", "/ab/"},
      {"/home/x/P01", "/home/x/P01/", "/P01"},
  };
  for (const DirectoryCase& test : cases) {
    SCOPED_TRACE(test.directory);
    CaptureRun rig;
    rig.surface.directory = test.directory;
    rig.context.state.processorType = ProcessorType::fLII;
    rig.surface.SetText(TextBox::Text1, "hand");
    SelectDataDirectory(rig.context);
    EXPECT_EQ(rig.context.state.dataPath, test.dataPath);
    EXPECT_EQ(rig.surface.Text(TextBox::Text1), test.marker);
    EXPECT_EQ(rig.context.state.processorType, ProcessorType::fLI);
  }
}

// The scratch file held open in the directory left is let go at once (a
// second program may use it) and the next burst goes to the new one.
TEST(SelectDataDirectory, LetsTheScratchFileOfTheDirectoryLeftGo) {
  CaptureRun rig;
  const std::string left = rig.dir.dataPath();
  ASSERT_TRUE(DecodeBurstText(rig.context, "1,2,3,4").ok());
  ASSERT_FALSE(testing::LockableByAnother(left + "cp.txt"));
  testing::TempDir chosen;
  rig.surface.directory = chosen.path();
  SelectDataDirectory(rig.context);
  EXPECT_TRUE(testing::LockableByAnother(left + "cp.txt"));
  EXPECT_TRUE(testing::LockableByAnother(left + ".cp.txt.next"));
  ASSERT_TRUE(DecodeBurstText(rig.context, "5,6,7,8").ok());
  EXPECT_EQ(chosen.Read("cp.txt"), "5,6,7,8\r\n5,6,7,8\r\n");
  EXPECT_EQ(rig.dir.Read("cp.txt"), "1,2,3,4\r\n1,2,3,4\r\n");
}

}  // namespace
}  // namespace tally
