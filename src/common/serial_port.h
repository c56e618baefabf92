#pragma once
// The serial port the processor is attached to. All calls and events happen
// on the one event thread; nothing here waits for received data.

#include <functional>
#include <string>

#include "common/moment.h"
#include "common/outcome.h"

namespace tally {

// Why a device could not be opened, as far as the device tells: missing, held
// by another program, not ours to open, or something else (detail: the serial
// layer's own words). group is the device's group ("dialout" when it cannot
// be told).
enum class OpenProblem { NoSuchDevice, InUse, PermissionDenied, Other };
struct OpenFault {
  OpenProblem problem = OpenProblem::Other;
  std::string device;
  std::string group;
  std::string detail;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Port number 1..4 (Com1..Com4) and the device it opens, used by the
  // next Open.
  virtual void SelectPort(int number, const std::string& device) = 0;
  // Line settings such as "300,N,8,1": baud, parity, data bits, stop bits,
  // used by the next Open. A text that cannot be parsed is refused.
  virtual Status SetSettings(const std::string& settings) = 0;

  // PortOpen: true exactly while the port is open.
  virtual bool IsOpen() const = 0;
  // PortOpen = true: opens the selected port and starts reception. The
  // failure names the port, the device and the reason.
  virtual Status Open() = 0;
  // Why the last Open failed, for a front end that gives its own advice.
  virtual OpenFault LastOpenFault() const { return {}; }
  // PortOpen = false: closes and releases the port. Bytes already written
  // reach the wire before the port is released.
  virtual void Close() = 0;

  // Output: bytes sent in the given order, nothing added.
  virtual Status Output(const std::string& bytes) = 0;
  // Input: everything received since the previous read; the buffer is then
  // empty. Empty text when nothing waits.
  virtual std::string Input() = 0;
  // Input of the characters that arrived before the moment only; those that
  // arrived later stay waiting for the next read.
  virtual std::string InputArrivedBefore(Moment moment) = 0;

  // The receive event (OnComm): raised whenever received characters wait.
  virtual void SetReceiveHandler(std::function<void()> handler) = 0;
  // Raised when an open port is lost (device gone, peer hung up) and when it
  // answers again after a reopen; the text says which port and why.
  virtual void SetLinkHandler(std::function<void(bool up, const std::string& why)> handler) = 0;
};

}  // namespace tally
