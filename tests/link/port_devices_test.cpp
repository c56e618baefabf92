#include "link/port_devices.h"

#include <gtest/gtest.h>

#include <string>

#include "doubles/scoped_variable.h"

namespace tally {
namespace {

using testing::ScopedVariable;

TEST(PortDevices, EachButtonHasItsOwnSerialDevice) {
  const struct {
    int number;
    const char* device;
  } cases[] = {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}, {3, "/dev/ttyS2"}, {4, "/dev/ttyS3"}};
  for (const auto& c : cases) {
    ScopedVariable unset("TALLY77_COM" + std::to_string(c.number), nullptr);
    EXPECT_EQ(DeviceForPort(c.number), c.device);
  }
}

TEST(PortDevices, EnvironmentNamesTheDeviceOfThatButtonOnly) {
  ScopedVariable com2("TALLY77_COM2", "/dev/ttyUSB0");
  ScopedVariable com3("TALLY77_COM3", nullptr);
  EXPECT_EQ(DeviceForPort(2), "/dev/ttyUSB0");
  EXPECT_EQ(DeviceForPort(3), "/dev/ttyS2");
}

TEST(PortDevices, AnEmptyVariableLeavesTheUsualDevice) {
  ScopedVariable com1("TALLY77_COM1", "");
  EXPECT_EQ(DeviceForPort(1), "/dev/ttyS0");
}

}  // namespace
}  // namespace tally
