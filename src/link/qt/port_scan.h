#pragma once
// The serial ports plugged in now, by the names a user can rely on: the
// links of /dev/serial/by-id (they keep their name when an adapter is
// plugged into another socket), with the maker and serial number the
// system knows. A port without such a link goes by its device; a link to
// a device the system does not list as a serial port (a pseudo-terminal)
// is listed all the same. TALLY77_SERIAL_BY_ID names another folder of
// links in place of /dev/serial/by-id.

#include <string>
#include <vector>

namespace tally {

struct FoundPort {
  std::string device;      // /dev/ttyUSB0
  std::string stableName;  // /dev/serial/by-id/usb-..., empty when none
  std::string maker;
  std::string serialNumber;

  // The name to open the port by: the stable one when there is one.
  const std::string& Name() const { return stableName.empty() ? device : stableName; }
};

// Sorted by name.
std::vector<FoundPort> FindPorts();

// One line of --list-ports: "<name> -> <device>, maker <m>, serial number <s>",
// each part only when known.
std::string PortListLine(const FoundPort& port);

}  // namespace tally
