#pragma once
// Why a serial device could not be opened, in words the operator can act
// on: "Com1 (/dev/ttyS0): permission denied; add your user to the group
// dialout".

#include <string>

#include "common/serial_port.h"

namespace tally {

// "Com1 (/dev/ttyS0)": how the port and its device are named in messages.
std::string PortLabel(int number, const std::string& device);

// Looks at the device to tell a missing device and a refused permission
// from a device some other program holds. The group is the device's group
// ("dialout" when it cannot be told).
struct DeviceProbe {
  OpenProblem problem = OpenProblem::Other;
  std::string group;
};
DeviceProbe ProbeDevice(const std::string& device);

// The whole message. The fault's detail is the serial layer's own words,
// used only for a problem the probe could not name.
std::string OpenFailureText(int number, const OpenFault& fault);

}  // namespace tally
