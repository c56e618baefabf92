#pragma once
// A serial port whose received text the test supplies and whose every
// operation is recorded in order.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/received_text.h"
#include "common/serial_port.h"
#include "doubles/simulated_time.h"

namespace tally::testing {

class ScriptedPort : public SerialPort {
 public:
  void SelectPort(int number, const std::string& deviceName) override;
  Status SetSettings(const std::string& settings) override;
  bool IsOpen() const override { return open; }
  Status Open() override;
  OpenFault LastOpenFault() const override { return openFault; }
  void Close() override;
  Status Output(const std::string& bytes) override;
  std::string Input() override;
  std::string InputArrivedBefore(Moment moment) override;
  void SetReceiveHandler(std::function<void()> handler) override { onReceive_ = std::move(handler); }
  void SetLinkHandler(std::function<void(bool, const std::string&)> handler) override {
    onLink_ = std::move(handler);
  }

  // Characters arrive from the processor: they wait in the receive buffer,
  // stamped with the simulated time, and the receive event is raised (also
  // for empty text).
  void Receive(const std::string& text);
  // The link goes down or comes back, as the backend would report it.
  void ReportLink(bool up, const std::string& why);

  // Characters wait in the receive buffer without a receive event (the
  // tick will read them), replacing what waited.
  void Hold(const std::string& text);
  const std::string& pending() const { return received_.text(); }  // not yet read by Input

  bool open = false;
  int portNumber = 0;
  std::string device;  // as the settings named it for portNumber
  OpenFault openFault;  // what a refused open tells of the device
  std::string settings;
  const SimulatedTime* time = nullptr;  // the time arrivals are stamped with (none: 0)
  std::string written;                 // every byte written by Output
  std::vector<std::string> log;        // "settings ...", "port n", "open", "close", "output ..."
  bool refuseOpen = false;             // Open fails
  std::string openFailure = "Com port cannot be opened";

 private:
  ReceivedText received_;
  std::function<void()> onReceive_;
  std::function<void(bool, const std::string&)> onLink_;
};

}  // namespace tally::testing
