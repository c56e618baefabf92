#include "link/qt/qt_serial_port.h"

#include <QSignalBlocker>
#include <algorithm>
#include <utility>

#include "link/open_failure.h"
#include "link/port_devices.h"
#include "link/qt/tty_handle.h"

namespace tally {

namespace {

constexpr int kReopenMilliseconds = 3000;
constexpr int kWatchMilliseconds = 1000;
// A quiet line is looked at less and less often, down to once in this many
// watch intervals: an idle program then hardly wakes, while a hang-up still
// comes at once through the read notifier and a line in use is watched at
// the full rate again from its first bytes on.
constexpr int kQuietWatchStretch = 32;
// Time granted on top of what the pending bytes need at the baud rate.
constexpr long long kDrainMarginMilliseconds = 500;

std::string EveryText(int milliseconds) {
  if (milliseconds % 1000 == 0) return std::to_string(milliseconds / 1000) + " s";
  return std::to_string(milliseconds) + " ms";
}

std::string LossReason(QSerialPort::SerialPortError error, const std::string& detail) {
  switch (error) {
    case QSerialPort::ResourceError: return "device gone or hung up (" + detail + ")";
    case QSerialPort::ReadError: return "reading failed (" + detail + ")";
    case QSerialPort::WriteError: return "writing failed (" + detail + ")";
    default: return detail;
  }
}

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent)
    : QObject(parent), serial_(this), watchTimer_(this), reopenTimer_(this), watchInterval_(kWatchMilliseconds) {
  reopenTimer_.setInterval(kReopenMilliseconds);
  connect(&serial_, &QSerialPort::readyRead, this, &QtSerialPort::OnReadyRead);
  connect(&serial_, &QSerialPort::errorOccurred, this, &QtSerialPort::OnSerialError);
  connect(&watchTimer_, &QTimer::timeout, this, &QtSerialPort::WatchLine);
  connect(&reopenTimer_, &QTimer::timeout, this, &QtSerialPort::TryReopen);
}

QtSerialPort::~QtSerialPort() { Close(); }

void QtSerialPort::SelectPort(int number, const std::string& device) {
  portNumber_ = number;
  selectedDevice_ = device;
}

void QtSerialPort::ChooseDevice(int number, const std::string& device) {
  if (number >= 1 && number <= static_cast<int>(chosenDevices_.size())) {
    chosenDevices_[number - 1] = device;
  }
}

std::string QtSerialPort::DeviceOf(int number) const {
  const bool chosen = number >= 1 && number <= static_cast<int>(chosenDevices_.size()) &&
                      !chosenDevices_[number - 1].empty();
  return chosen ? chosenDevices_[number - 1] : DeviceForPort(number);
}

Status QtSerialPort::SetSettings(const std::string& settings) {
  Outcome<LineSettings> parsed = ParseLineSettings(settings);
  if (!parsed.ok()) return parsed.failure();
  settings_ = parsed.value();  // applied at the next open
  return Ok();
}

bool QtSerialPort::IsOpen() const { return state_ == LinkState::Open; }

void QtSerialPort::SetReopenInterval(int milliseconds) { reopenTimer_.setInterval(milliseconds); }

void QtSerialPort::SetWatchInterval(int milliseconds) {
  watchInterval_ = milliseconds;
  watchTimer_.setInterval(milliseconds);
}

int QtSerialPort::WatchInterval() const { return watchTimer_.interval(); }

void QtSerialPort::SetReceiveHandler(std::function<void()> handler) {
  onReceive_ = std::move(handler);
}

void QtSerialPort::SetLinkHandler(std::function<void(bool, const std::string&)> handler) {
  onLink_ = std::move(handler);
}

std::string QtSerialPort::Label() const {
  return PortLabel(portNumber_, device_.empty() ? DeviceOf(portNumber_) : device_);
}

Status QtSerialPort::Open() {
  // An open (or lost) port is released first; the program's own press
  // also ends any reopening of a lost port.
  Close();
  device_ = selectedDevice_.empty() ? DeviceOf(portNumber_) : selectedDevice_;
  lastFault_ = OpenFault{OpenProblem::Other, device_, "", ""};
  if (Status opened = OpenDevice(true); !opened.ok()) return opened;
  state_ = LinkState::Open;
  return Ok();
}

Status QtSerialPort::OpenDevice(bool clearStale) {
  opening_ = true;
  ++generation_;
  serial_.setPortName(QString::fromLocal8Bit(device_.c_str()));
  if (!serial_.open(QIODevice::ReadWrite)) {
    const QSerialPort::SerialPortError error = serial_.error();
    DeviceProbe probe = ProbeDevice(device_);
    if (error == QSerialPort::DeviceNotFoundError) probe.problem = OpenProblem::NoSuchDevice;
    if (probe.problem == OpenProblem::InUse && error != QSerialPort::PermissionError) {
      probe.problem = OpenProblem::Other;
    }
    opening_ = false;
    lastFault_ = OpenFault{probe.problem, device_, probe.group, serial_.errorString().toStdString()};
    return Fail(FailureCode::PortOpen, OpenFailureText(portNumber_, lastFault_));
  }
  if (Status applied = ApplySettings(); !applied.ok()) {
    serial_.close();
    opening_ = false;
    lastFault_.detail = applied.failure().message;
    return applied;
  }
  // Bytes that waited in the device before this open belong to nobody.
  if (clearStale) serial_.clear(QSerialPort::AllDirections);
  serial_.clearError();
  opening_ = false;
  receivedSinceWatch_ = true;
  bytesWaitedAtWatch_ = false;
  watchTimer_.start(watchInterval_);
  return Ok();
}

Status QtSerialPort::ApplySettings() {
  static constexpr QSerialPort::Parity kParities[] = {
      QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
      QSerialPort::SpaceParity, QSerialPort::MarkParity};
  static constexpr const char* kParityLetters[] = {"N", "E", "O", "S", "M"};
  static constexpr QSerialPort::StopBits kStopBits[] = {
      QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};
  static constexpr const char* kStopBitsTexts[] = {"1", "1.5", "2"};
  const int parity = static_cast<int>(settings_.parity);
  const int stopBits = static_cast<int>(settings_.stopBits);
  // Each setting on its own, so that the operator learns which one the
  // device refused (a pseudo-terminal takes neither parity nor 7 bits).
  const std::pair<bool, std::string> steps[] = {
      {serial_.setBaudRate(settings_.baud), "the baud rate " + std::to_string(settings_.baud)},
      {serial_.setParity(kParities[parity]), std::string("parity ") + kParityLetters[parity]},
      {serial_.setDataBits(static_cast<QSerialPort::DataBits>(settings_.dataBits)),
       std::to_string(settings_.dataBits) + " data bits"},
      {serial_.setStopBits(kStopBits[stopBits]), std::string(kStopBitsTexts[stopBits]) + " stop bits"},
      {serial_.setFlowControl(QSerialPort::NoFlowControl), "no flow control"},
  };
  for (const auto& [applied, what] : steps) {
    if (!applied) {
      return Fail(FailureCode::PortSettings, Label() + ": the device does not take " + what);
    }
  }
  return Ok();
}

void QtSerialPort::Close() {
  reopenTimer_.stop();
  watchTimer_.stop();
  if (state_ == LinkState::Open) DrainOutput();
  ReleaseDevice();
  state_ = LinkState::Closed;
}

void QtSerialPort::DrainOutput() {
  // QSerialPort::close() throws away what is still in its buffer and flush()
  // does not wait for the wire: wait for Qt's buffer to reach the kernel,
  // then for the kernel to send it, within the time the bytes need.
  const int handle = static_cast<int>(serial_.handle());
  const long long pending = serial_.bytesToWrite() + BytesQueuedToSend(handle);
  const long long budget =
      MillisecondsToSend(settings_, static_cast<std::size_t>(pending)) + kDrainMarginMilliseconds;
  QElapsedTimer elapsed;
  elapsed.start();
  // Waiting for the write may deliver a receive notification at once; no
  // handler may run inside the close. What arrived is read before release.
  const QSignalBlocker quiet(serial_);
  while (serial_.bytesToWrite() > 0) {
    const long long left = budget - elapsed.elapsed();
    if (left <= 0 || !serial_.waitForBytesWritten(static_cast<int>(left))) break;
  }
  DrainHandle(handle, std::max<long long>(budget - elapsed.elapsed(), 0));
}

void QtSerialPort::ReleaseDevice() {
  ++generation_;
  if (!serial_.isOpen()) return;
  PullReceived();  // received text stays ours until Input takes it
  serial_.close();
}

Status QtSerialPort::Output(const std::string& bytes) {
  if (state_ != LinkState::Open) {
    return Fail(FailureCode::PortWrite, Label() + " is not open; not sent");
  }
  const qint64 size = static_cast<qint64>(bytes.size());
  if (serial_.write(bytes.data(), size) != size) {
    return Fail(FailureCode::PortWrite,
                Label() + ": writing failed: " + serial_.errorString().toStdString());
  }
  return Ok();
}

std::string QtSerialPort::Input() {
  PullReceived();
  return received_.TakeAll();
}

std::string QtSerialPort::InputArrivedBefore(Moment moment) {
  PullReceived();
  return received_.TakeArrivedBefore(moment);
}

void QtSerialPort::PullReceived() {
  if (!serial_.isOpen()) return;
  // Straight into a buffer of our own, without a QByteArray per receive event.
  const qint64 waiting = serial_.bytesAvailable();
  if (waiting <= 0) return;
  pulled_.resize(static_cast<std::size_t>(waiting));
  const qint64 got = serial_.read(pulled_.data(), waiting);
  if (got <= 0) return;
  received_.Add(std::string_view(pulled_.data(), static_cast<std::size_t>(got)), std::chrono::steady_clock::now());
}

void QtSerialPort::OnReadyRead() {
  // Everything is read at every receive event: a notification left with
  // unread bytes may not come again.
  PullReceived();
  receivedSinceWatch_ = true;
  if (onReceive_) onReceive_();
}

void QtSerialPort::OnSerialError(QSerialPort::SerialPortError error) {
  if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError) return;
  if (opening_ || state_ != LinkState::Open) return;
  // Handled from the event loop, not from inside QSerialPort's own call.
  const unsigned generation = generation_;
  // A peer that hung up shows as a failed read; say what happened rather
  // than the read's leftover error text.
  const bool hungUp =
      error == QSerialPort::ReadError && HandleHungUp(static_cast<int>(serial_.handle()));
  const std::string reason =
      hungUp ? "hung up" : LossReason(error, serial_.errorString().toStdString());
  QMetaObject::invokeMethod(
      this,
      [this, generation, reason] {
        if (generation == generation_ && state_ == LinkState::Open) MarkLost(reason);
      },
      Qt::QueuedConnection);
}

void QtSerialPort::WatchLine() {
  if (state_ != LinkState::Open) return;
  const int handle = static_cast<int>(serial_.handle());
  if (HandleHungUp(handle)) {
    MarkLost("hung up");
    return;
  }
  const bool bytesWait = BytesWaiting(handle) > 0;
  if (bytesWait && bytesWaitedAtWatch_ && !receivedSinceWatch_) {
    RestartStalledReception();
    return;
  }
  const bool quiet = !bytesWait && !receivedSinceWatch_;
  bytesWaitedAtWatch_ = bytesWait;
  receivedSinceWatch_ = false;
  PaceWatch(quiet);
}

void QtSerialPort::PaceWatch(bool quiet) {
  const int paced = quiet ? std::min(watchTimer_.interval() * 2, watchInterval_ * kQuietWatchStretch)
                          : watchInterval_;
  // A running timer takes a new interval from its next tick on.
  if (paced != watchTimer_.interval()) watchTimer_.setInterval(paced);
}

void QtSerialPort::RestartStalledReception() {
  // Bytes have waited a whole watch without a receive event: the read
  // notifier is off. Take them by hand and open the device afresh.
  PullReceived();
  received_.Add(ReadWaiting(static_cast<int>(serial_.handle())), std::chrono::steady_clock::now());
  ReleaseDevice();
  if (Status reopened = OpenDevice(false); !reopened.ok()) {
    state_ = LinkState::Open;  // so that the loss is reported
    MarkLost(reopened.failure().message);
  }
  if (onReceive_) onReceive_();
}

void QtSerialPort::MarkLost(const std::string& reason) {
  watchTimer_.stop();
  ReleaseDevice();
  state_ = LinkState::Lost;
  reopenTimer_.start();
  if (onLink_) {
    onLink_(false, Label() + " lost: " + reason + "; reopening every " +
                       EveryText(reopenTimer_.interval()));
  }
}

void QtSerialPort::TryReopen() {
  if (state_ != LinkState::Lost) {
    reopenTimer_.stop();
    return;
  }
  // Bytes that arrive on the reopened device continue the set: nothing is
  // cleared.
  if (!OpenDevice(false).ok()) return;  // still gone; tried again at the next tick
  reopenTimer_.stop();
  state_ = LinkState::Open;
  if (onLink_) onLink_(true, Label() + " open again");
}

}  // namespace tally
