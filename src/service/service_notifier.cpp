#include "service/service_notifier.h"

#include <cstdint>

#ifdef TALLY77_HAVE_LIBSYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace tally {

namespace {

// The watchdog interval the manager set, in milliseconds; 0 for none.
int WatchdogMilliseconds() {
#ifdef TALLY77_HAVE_LIBSYSTEMD
  std::uint64_t microseconds = 0;
  if (sd_watchdog_enabled(0, &microseconds) > 0) return static_cast<int>(microseconds / 1000);
#endif
  return 0;
}

}  // namespace

ServiceNotifier::ServiceNotifier(QObject* parent) : QObject(parent), watchdog_(this) {
  const int interval = WatchdogMilliseconds();
  if (interval <= 0) return;
  // Pinged at half the interval, from the event loop: a loop that hangs
  // stops the pings and the manager restarts the service.
  connect(&watchdog_, &QTimer::timeout, this, [this] { Send("WATCHDOG=1"); });
  watchdog_.start(interval / 2 > 0 ? interval / 2 : 1);
}

void ServiceNotifier::Ready(const std::string& status) {
  Send((ready_ ? "" : "READY=1\n") + std::string("STATUS=") + status);
  ready_ = true;
}

void ServiceNotifier::Status(const std::string& status) { Send("STATUS=" + status); }

void ServiceNotifier::Stopping() { Send("STOPPING=1"); }

bool ServiceNotifier::Speaks() {
#ifdef TALLY77_HAVE_LIBSYSTEMD
  return true;
#else
  return false;
#endif
}

void ServiceNotifier::Send([[maybe_unused]] const std::string& message) {
#ifdef TALLY77_HAVE_LIBSYSTEMD
  sd_notify(0, message.c_str());
#endif
}

}  // namespace tally
