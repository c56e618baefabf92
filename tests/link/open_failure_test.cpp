#include "link/open_failure.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "doubles/temp_dir.h"

namespace tally {
namespace {

TEST(OpenFailure, EachProblemIsWordedSoTheOperatorCanAct) {
  const struct {
    int number;
    const char* device;
    DeviceProbe probe;
    const char* detail;
    const char* message;
  } cases[] = {
      {1, "/dev/ttyS0", {OpenProblem::PermissionDenied, "dialout"}, "",
       "Com1 (/dev/ttyS0): permission denied; add your user to the group dialout"},
      {2, "/dev/ttyUSB0", {OpenProblem::PermissionDenied, "uucp"}, "",
       "Com2 (/dev/ttyUSB0): permission denied; add your user to the group uucp"},
      {3, "/dev/ttyS2", {OpenProblem::PermissionDenied, ""}, "",
       "Com3 (/dev/ttyS2): permission denied; add your user to the group dialout"},
      {4, "/dev/ttyS3", {OpenProblem::NoSuchDevice, "dialout"}, "No such file or directory",
       "Com4 (/dev/ttyS3): no such device; plug in the adapter or set TALLY77_COM4 to the "
       "device to use"},
      {1, "/dev/pts/4", {OpenProblem::InUse, "tty"}, "",
       "Com1 (/dev/pts/4): in use by another program; close it and press the port button again"},
      {2, "/tmp/plain", {OpenProblem::Other, ""}, "Inappropriate ioctl for device",
       "Com2 (/tmp/plain): cannot be opened: Inappropriate ioctl for device"},
      {2, "/tmp/plain", {OpenProblem::Other, ""}, "",
       "Com2 (/tmp/plain): cannot be opened: unknown reason"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OpenFailureText(c.number, OpenFault{c.probe.problem, c.device, c.probe.group, c.detail}), c.message);
  }
}

TEST(OpenFailure, ProbeTellsAMissingDeviceFromOneThatIsThere) {
  testing::TempDir dir;
  EXPECT_EQ(ProbeDevice(dir.path() + "/ttyNone").problem, OpenProblem::NoSuchDevice);
  // /dev/null is a character device anyone may open: a refused open of
  // such a device means some other program holds it.
  EXPECT_EQ(ProbeDevice("/dev/null").problem, OpenProblem::InUse);
  dir.Write("plain", "not a device");
  EXPECT_EQ(ProbeDevice(dir.path() + "/plain").problem, OpenProblem::Other);
}

TEST(OpenFailure, ProbeNamesTheGroupOfADeviceWeMayNotOpen) {
  if (geteuid() == 0) GTEST_SKIP() << "root may open every device";
  // A pseudo-terminal of our own, made unreadable, stands for a serial
  // device of a group we are not in.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string device = ptsname(master);
  ASSERT_EQ(chmod(device.c_str(), 0), 0);
  struct stat info {};
  ASSERT_EQ(stat(device.c_str(), &info), 0);
  const group* owner = getgrgid(info.st_gid);
  ASSERT_NE(owner, nullptr);

  const DeviceProbe probe = ProbeDevice(device);
  EXPECT_EQ(probe.problem, OpenProblem::PermissionDenied);
  EXPECT_EQ(probe.group, owner->gr_name);
  close(master);
}

}  // namespace
}  // namespace tally
