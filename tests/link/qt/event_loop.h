#pragma once
// Waiting on Qt's event loop in tests, and the pseudo-terminal's far end
// whose bytes are waited for.

#include <cstddef>
#include <functional>

#include "doubles/pty_peer.h"

namespace tally::testing {

// Runs the event loop until done() holds or the time is up; gives done().
bool WaitFor(const std::function<bool()>& done, int milliseconds);

// A QCoreApplication for the whole test program, made on first use.
void EnsureApplication();

// Waits (running the event loop) until the port has sent peer this many
// bytes.
bool WaitForBytes(PtyPeer& peer, std::size_t count, int milliseconds);

}  // namespace tally::testing
