#include "doubles/pty_peer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tally::testing {

PtyPeer::PtyPeer(const std::string& link, bool keepPortEnd) {
  const std::string fault = line_.OpenPseudoTerminal(link);
  if (!fault.empty()) {
    std::fprintf(stderr, "PtyPeer: %s\n", fault.c_str());
    std::abort();
  }
  if (keepPortEnd && (portEnd_ = open(path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) < 0) {
    std::perror(path().c_str());
    std::abort();
  }
}

void PtyPeer::HangUp() {
  if (portEnd_ >= 0) close(portEnd_);
  portEnd_ = -1;
  line_.HangUp();
}

}  // namespace tally::testing
