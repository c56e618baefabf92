#include "link/open_failure.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tally {

namespace {

constexpr const char* kUsualGroup = "dialout";

#ifndef _WIN32
std::string GroupName(gid_t id) {
  const group* entry = getgrgid(id);
  return entry != nullptr && entry->gr_name != nullptr ? entry->gr_name : kUsualGroup;
}
#endif

}  // namespace

std::string PortLabel(int number, const std::string& device) {
  return "Com" + std::to_string(number) + " (" + device + ")";
}

DeviceProbe ProbeDevice(const std::string& device) {
#ifdef _WIN32
  (void)device;
  return DeviceProbe{OpenProblem::Other, kUsualGroup};
#else
  struct stat info {};
  if (stat(device.c_str(), &info) != 0) {
    return DeviceProbe{errno == EACCES ? OpenProblem::PermissionDenied : OpenProblem::NoSuchDevice,
                       kUsualGroup};
  }
  if (!S_ISCHR(info.st_mode)) return DeviceProbe{OpenProblem::Other, GroupName(info.st_gid)};
  if (access(device.c_str(), R_OK | W_OK) != 0) {
    return DeviceProbe{OpenProblem::PermissionDenied, GroupName(info.st_gid)};
  }
  // The device is there and ours to open: something else holds it.
  return DeviceProbe{OpenProblem::InUse, GroupName(info.st_gid)};
#endif
}

std::string OpenFailureText(int number, const OpenFault& fault) {
  const std::string port = PortLabel(number, fault.device);
  const std::string& detail = fault.detail;
  const std::string variable = "TALLY77_COM" + std::to_string(number);
  switch (fault.problem) {
    case OpenProblem::NoSuchDevice:
      return port + ": no such device; plug in the adapter or set " + variable +
             " to the device to use";
    case OpenProblem::InUse:
      return port + ": in use by another program; close it and press the port button again";
    case OpenProblem::PermissionDenied:
      return port + ": permission denied; add your user to the group " +
             (fault.group.empty() ? std::string(kUsualGroup) : fault.group);
    case OpenProblem::Other:
      break;
  }
  return port + ": cannot be opened: " + (detail.empty() ? "unknown reason" : detail);
}

}  // namespace tally
