#include "link/port_devices.h"

#include <cstdlib>

namespace tally {

std::optional<std::string> DeviceFromEnvironment(int number) {
  const std::string variable = "TALLY77_COM" + std::to_string(number);
  if (const char* named = std::getenv(variable.c_str()); named != nullptr && *named != '\0') {
    return named;
  }
  return std::nullopt;
}

std::string DeviceForPort(int number) {
  if (std::optional<std::string> named = DeviceFromEnvironment(number)) return *named;
#ifdef _WIN32
  return "COM" + std::to_string(number);
#else
  return "/dev/ttyS" + std::to_string(number - 1);
#endif
}

}  // namespace tally
