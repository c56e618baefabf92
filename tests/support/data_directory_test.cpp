#include "support/data_directory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/capture_run.h"

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


TEST(DirectoryChange, EnablesTheFourPortButtonsInOrder) {
  CaptureRun rig;
  OnDirectoryChange(rig.context);
  const std::vector<std::string> expected = {"Command1.Enabled", "Command2.Enabled",
                                             "Command3.Enabled", "Command4.Enabled"};
  EXPECT_EQ(rig.surface.log, expected);
}

TEST(DriveChange, DirectoryListFollowsAReadableDrive) {
  CaptureRun rig;
  rig.surface.directory = "/home/x/P017";
  rig.surface.drive = "/media/usb";
  OnDriveChange(rig.context);
  EXPECT_EQ(rig.surface.DirectoryPath(), "/media/usb");
  EXPECT_EQ(rig.surface.SelectedDrive(), "/media/usb");
  EXPECT_TRUE(rig.surface.list2.empty());
}

TEST(DriveChange, UnreadableDriveIsNamedAndBothListsStayOnTheReadableDirectory) {
  CaptureRun rig;
  rig.surface.directory = "/home/x/P017";
  rig.surface.drive = "/media/empty";
  rig.surface.unreadablePaths.insert("/media/empty");
  OnDriveChange(rig.context);
  EXPECT_EQ(rig.surface.DirectoryPath(), "/home/x/P017");
  EXPECT_EQ(rig.surface.SelectedDrive(), "/home/x/P017");
  EXPECT_EQ(rig.surface.list2, std::vector<std::string>{"Drive /media/empty cannot be read"});
}

}  // namespace
}  // namespace tally
