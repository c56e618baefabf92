#pragma once
// Which device each of the four port buttons opens: Com1..Com4 map to
// /dev/ttyS0../dev/ttyS3 on Linux and COM1..COM4 on Windows; the environment
// variables TALLY77_COM1..TALLY77_COM4, when set, name the device instead.

#include <optional>
#include <string>

namespace tally {

std::string DeviceForPort(int number);

// The device TALLY77_COM<number> names; nothing when it is unset or empty.
std::optional<std::string> DeviceFromEnvironment(int number);

}  // namespace tally
