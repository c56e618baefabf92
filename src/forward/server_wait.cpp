#include "forward/server_wait.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace tally::forward {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

bool ServerWait::Ready(int socket, short events, std::optional<Moment> deadline) {
  while (true) {
    if (!stopSeen_ && stops_ != nullptr && stops_->Pending() != 0) stopSeen_ = steady_clock::now();
    std::optional<Moment> until = deadline;
    if (stopSeen_ && (!until || *stopSeen_ + milliseconds(kStopGraceMs) < *until)) {
      until = *stopSeen_ + milliseconds(kStopGraceMs);
    }
    int timeoutMs = -1;
    if (until) {
      const long long left = std::chrono::duration_cast<milliseconds>(*until - steady_clock::now()).count();
      if (left <= 0) {
        return GiveUp(socket, stopSeen_ ? "the server did not answer within " + std::to_string(kStopGraceMs / 1000) +
                                              " s of the stop signal; what it was sent waits for the next run"
                                        : "the server did not answer in time");
      }
      timeoutMs = static_cast<int>(left);
    }
    pollfd watched[2] = {{socket, events, 0}, {stopSeen_ || stops_ == nullptr ? -1 : stops_->fd(), POLLIN, 0}};
    const int ready = ::poll(watched, 2, timeoutMs);
    if (ready < 0 && errno != EINTR) return true;  // libpq meets the trouble itself
    if (ready > 0 && watched[0].revents != 0) return true;
  }
}

bool ServerWait::GiveUp(int socket, std::string why) {
  gaveUp_ = std::move(why);
  if (socket >= 0) ::shutdown(socket, SHUT_RDWR);
  return false;
}

}  // namespace tally::forward
