#include "link/port_devices.h"

#include <cstdlib>

namespace tally {

std::string DeviceForPort(int number) {
  const std::string digit = std::to_string(number);
  const std::string variable = "TALLY77_COM" + digit;
  if (const char* named = std::getenv(variable.c_str()); named != nullptr && *named != '\0') {
    return named;
  }
#ifdef _WIN32
  return "COM" + digit;
#else
  return "/dev/ttyS" + std::to_string(number - 1);
#endif
}

}  // namespace tally
