#include "link/port_devices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace tally {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const std::string& name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) old_ = old;
    if (value != nullptr) {
      setenv(name.c_str(), value, 1);
    } else {
      unsetenv(name.c_str());
    }
  }
  ~ScopedVariable() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

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
