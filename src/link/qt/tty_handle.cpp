#include "link/qt/tty_handle.h"

#ifndef _WIN32
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <chrono>

namespace tally {

#ifndef _WIN32

bool HandleHungUp(int handle) {
  if (handle < 0) return true;
  pollfd watch{handle, 0, 0};
  if (poll(&watch, 1, 0) < 0) return false;
  return (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int BytesWaiting(int handle) {
  int waiting = 0;
  if (handle < 0 || ioctl(handle, FIONREAD, &waiting) != 0) return 0;
  return waiting;
}

int BytesQueuedToSend(int handle) {
  int queued = 0;
  if (handle < 0 || ioctl(handle, TIOCOUTQ, &queued) != 0) return 0;
  return queued;
}

std::string ReadWaiting(int handle) {
  std::string bytes;
  char chunk[512];
  for (;;) {
    const ssize_t got = read(handle, chunk, sizeof chunk);
    if (got <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  return bytes;
}

bool DrainHandle(int handle, long long milliseconds) {
  if (handle < 0) return false;
  // tcdrain cannot be bounded, so first wait for the output queue to empty
  // by watching it; tcdrain then only waits for the last characters.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  int queued = 0;
  while (ioctl(handle, TIOCOUTQ, &queued) == 0 && queued > 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    pollfd pause{-1, 0, 0};
    poll(&pause, 0, 10);
  }
  return tcdrain(handle) == 0;
}

#else

bool HandleHungUp(int) { return false; }
int BytesWaiting(int) { return 0; }
int BytesQueuedToSend(int) { return 0; }
std::string ReadWaiting(int) { return {}; }
bool DrainHandle(int, long long) { return true; }

#endif

}  // namespace tally
