#include "link/port_devices.h"

#include <gtest/gtest.h>

#include <string>

#include "doubles/scoped_variable.h"

namespace tally {
namespace {

using testing::ScopedVariable;

// Each button has its own serial device; TALLY77_COMn names another for
// that button only, and an empty one leaves the usual device.
TEST(PortDevices, TheUsualDeviceOrTheOneTheEnvironmentNames) {
  const struct {
    int number;
    int named;  // the button whose variable is set to value (0: none)
    const char* value;
    const char* device;
  } cases[] = {{1, 0, nullptr, "/dev/ttyS0"},        {2, 0, nullptr, "/dev/ttyS1"},
               {3, 0, nullptr, "/dev/ttyS2"},        {4, 0, nullptr, "/dev/ttyS3"},
               {2, 2, "/dev/ttyUSB0", "/dev/ttyUSB0"}, {3, 2, "/dev/ttyUSB0", "/dev/ttyS2"},
               {1, 1, "", "/dev/ttyS0"}};
  for (const auto& c : cases) {
    ScopedVariable own("TALLY77_COM" + std::to_string(c.number), nullptr);
    ScopedVariable named("TALLY77_COM" + std::to_string(c.named), c.value);
    EXPECT_EQ(DeviceForPort(c.number), c.device) << "Com" << c.number << ", Com" << c.named << " named";
  }
}

}  // namespace
}  // namespace tally
