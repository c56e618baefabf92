#pragma once
// Which device each of the four port buttons opens: Com1..Com4 map to
// /dev/ttyS0../dev/ttyS3 on Linux and COM1..COM4 on Windows; the environment
// variables TALLY77_COM1..TALLY77_COM4, when set, name the device instead.

#include <string>

namespace tally {

std::string DeviceForPort(int number);

}  // namespace tally
