#pragma once
// The serial port on QSerialPort. Reception is delivered on the event
// thread; a port that is lost while open (adapter pulled, peer hung up) is
// closed, reported, and reopened every 3 seconds until it answers or the
// program closes or opens the port itself.

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <array>
#include <functional>
#include <string>

#include "common/received_text.h"
#include "common/serial_port.h"
#include "link/line_settings.h"

namespace tally {

class QtSerialPort : public QObject, public SerialPort {
  Q_OBJECT

 public:
  explicit QtSerialPort(QObject* parent = nullptr);
  ~QtSerialPort() override;

  // An empty device: the one chosen for the number, or else DeviceForPort's.
  void SelectPort(int number, const std::string& device) override;
  Status SetSettings(const std::string& settings) override;
  bool IsOpen() const override;
  Status Open() override;
  OpenFault LastOpenFault() const override { return lastFault_; }
  void Close() override;
  Status Output(const std::string& bytes) override;
  std::string Input() override;
  std::string InputArrivedBefore(Moment moment) override;
  void SetReceiveHandler(std::function<void()> handler) override;
  void SetLinkHandler(std::function<void(bool up, const std::string& why)> handler) override;

  // How often a lost port is tried again, and how often an open one is
  // checked for a hang-up or a stalled read notifier while bytes arrive
  // (a quiet line less often, see WatchInterval); tests shorten them.
  void SetReopenInterval(int milliseconds);
  void SetWatchInterval(int milliseconds);
  // The time to the next look at the open line: the watch interval while
  // bytes arrive or wait, doubled at each look that finds the line quiet,
  // up to a few tens of watch intervals.
  int WatchInterval() const;

  // The device port button number (1..4) opens from its next press on, in
  // place of the one DeviceForPort names; an empty one gives that back.
  void ChooseDevice(int number, const std::string& device);
  std::string DeviceOf(int number) const;

 private:
  enum class LinkState { Closed, Open, Lost };

  Status OpenDevice(bool clearStale);
  Status ApplySettings();
  void ReleaseDevice();
  void DrainOutput();
  void PullReceived();
  void OnReadyRead();
  void OnSerialError(QSerialPort::SerialPortError error);
  void WatchLine();
  void PaceWatch(bool quiet);
  void RestartStalledReception();
  void MarkLost(const std::string& reason);
  void TryReopen();
  std::string Label() const;

  QSerialPort serial_;
  QTimer watchTimer_;
  QTimer reopenTimer_;
  int portNumber_ = 1;
  std::array<std::string, 4> chosenDevices_;
  LineSettings settings_;
  std::string selectedDevice_;
  std::string device_;
  OpenFault lastFault_;
  LinkState state_ = LinkState::Closed;
  bool opening_ = false;
  unsigned generation_ = 0;  // raised at every open and close
  ReceivedText received_;
  std::string pulled_;  // the buffer PullReceived reads into
  int watchInterval_;
  bool receivedSinceWatch_ = false;
  bool bytesWaitedAtWatch_ = false;
  std::function<void()> onReceive_;
  std::function<void(bool, const std::string&)> onLink_;
};

}  // namespace tally
