#include "link/qt/port_scan.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace tally {

namespace {

namespace fs = std::filesystem;

fs::path StableNameFolder() {
  const char* folder = std::getenv("TALLY77_SERIAL_BY_ID");
  return folder != nullptr && *folder != '\0' ? fs::path(folder) : fs::path("/dev/serial/by-id");
}

// Device -> the link naming it. A dangling link names nothing.
std::map<std::string, std::string> StableNames() {
  std::map<std::string, std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(StableNameFolder(), error)) {
    std::error_code unresolved;
    const fs::path device = fs::canonical(entry.path(), unresolved);
    if (unresolved) continue;
    names.emplace(device.string(), entry.path().string());
  }
  return names;
}

}  // namespace

std::vector<FoundPort> FindPorts() {
  std::map<std::string, std::string> stable = StableNames();
  std::vector<FoundPort> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    FoundPort port{info.systemLocation().toStdString(), "", info.manufacturer().toStdString(),
                   info.serialNumber().toStdString()};
    if (auto link = stable.find(port.device); link != stable.end()) {
      port.stableName = link->second;
      stable.erase(link);
    }
    ports.push_back(std::move(port));
  }
  for (const auto& [device, name] : stable) ports.push_back(FoundPort{device, name, "", ""});
  std::sort(ports.begin(), ports.end(),
            [](const FoundPort& a, const FoundPort& b) { return a.Name() < b.Name(); });
  return ports;
}

std::string PortListLine(const FoundPort& port) {
  std::string line = port.Name();
  if (!port.stableName.empty()) line += " -> " + port.device;
  if (!port.maker.empty()) line += ", maker " + port.maker;
  if (!port.serialNumber.empty()) line += ", serial number " + port.serialNumber;
  return line;
}

}  // namespace tally
