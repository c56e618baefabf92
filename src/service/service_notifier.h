#pragma once
// Tells a service manager how the capture stands (the notify protocol):
// READY=1 once the port is open, STATUS= lines, STOPPING=1, and WATCHDOG=1
// pings from the event loop while the manager asks for them. Without
// libsystemd at build time, and outside a notify service, it says nothing.

#include <QObject>
#include <QTimer>
#include <string>

namespace tally {

class ServiceNotifier : public QObject {
  Q_OBJECT

 public:
  explicit ServiceNotifier(QObject* parent = nullptr);

  // The first call also says READY=1; later calls only the status.
  void Ready(const std::string& status);
  void Status(const std::string& status);
  void Stopping();

  // Whether the program was built to speak the protocol.
  static bool Speaks();

 private:
  void Send(const std::string& message);

  bool ready_ = false;
  QTimer watchdog_;
};

}  // namespace tally
