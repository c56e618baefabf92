#include "window/start_choices.h"

#include <QFile>

#include "link/port_devices.h"

namespace tally {

namespace {

std::string FileNameBytes(const QString& device) { return QFile::encodeName(device).toStdString(); }

void ShowDevice(Form1& window, const QtSerialPort& port, int number) {
  window.ShowPortDevice(number, QFile::decodeName(port.DeviceOf(number).c_str()));
}

void ChooseStartDevices(Form1& window, QtSerialPort& port, const RememberedChoices& remembered,
                        const StartOptions& options) {
  for (int number = 1; number <= 4; ++number) {
    const QString given = options.devices[number - 1];
    if (!given.isEmpty()) {
      port.ChooseDevice(number, FileNameBytes(given));
    } else if (!DeviceFromEnvironment(number)) {
      port.ChooseDevice(number, FileNameBytes(remembered.Device(number)));
    }
    ShowDevice(window, port, number);
  }
}

void RememberNewChoices(Form1& window, QtSerialPort& port, RememberedChoices& remembered) {
  QObject::connect(&window, &Form1::portDeviceChosen, &window,
                   [&window, &port, &remembered](int number, const QString& device) {
                     port.ChooseDevice(number, FileNameBytes(device));
                     remembered.RememberDevice(number, device);
                     ShowDevice(window, port, number);
                   });
  QObject::connect(&window, &Form1::directoryChanged, &window, [&window, &remembered] {
    remembered.RememberDataDirectory(QFile::decodeName(window.DirectoryPath().c_str()));
  });
}

}  // namespace

bool ApplyStartChoices(Form1& window, QtSerialPort& port, RememberedChoices& remembered,
                       const StartOptions& options, std::ostream& errors) {
  ChooseStartDevices(window, port, remembered, options);
  RememberNewChoices(window, port, remembered);
  if (options.dataDirectory.isEmpty()) {
    // A remembered directory that is gone leaves Dir1 where it starts.
    const QString last = remembered.DataDirectory();
    if (!last.isEmpty()) (void)window.OpenDataDirectory(last, false);
    return true;
  }
  if (window.OpenDataDirectory(options.dataDirectory, true)) return true;
  errors << "tally77: cannot open the data directory " << FileNameBytes(options.dataDirectory)
         << '\n';
  return false;
}

}  // namespace tally
