// The window's drive and directory lists, on a recording surface.

#include "window/surface/surface_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/recording_surface.h"

namespace tally {
namespace {

struct Rig {
  testing::RecordingSurface surface;
};

TEST(DirectoryChange, EnablesTheFourPortButtonsInOrder) {
  Rig rig;
  OnDirectoryChange(rig.surface);
  const std::vector<std::string> expected = {"Command1.Enabled", "Command2.Enabled",
                                             "Command3.Enabled", "Command4.Enabled"};
  EXPECT_EQ(rig.surface.log, expected);
}

TEST(DriveChange, DirectoryListFollowsAReadableDrive) {
  Rig rig;
  rig.surface.directory = "/home/x/P017";
  rig.surface.drive = "/media/usb";
  OnDriveChange(rig.surface);
  EXPECT_EQ(rig.surface.DirectoryPath(), "/media/usb");
  EXPECT_EQ(rig.surface.SelectedDrive(), "/media/usb");
  EXPECT_TRUE(rig.surface.list2.empty());
}

TEST(DriveChange, UnreadableDriveIsNamedAndBothListsStayOnTheReadableDirectory) {
  Rig rig;
  rig.surface.directory = "/home/x/P017";
  rig.surface.drive = "/media/empty";
  rig.surface.unreadablePaths.insert("/media/empty");
  OnDriveChange(rig.surface);
  EXPECT_EQ(rig.surface.DirectoryPath(), "/home/x/P017");
  EXPECT_EQ(rig.surface.SelectedDrive(), "/home/x/P017");
  EXPECT_EQ(rig.surface.list2, std::vector<std::string>{"Drive /media/empty cannot be read"});
}

}  // namespace
}  // namespace tally
