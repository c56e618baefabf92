#pragma once
// What the serial layer above cannot tell about an open device handle:
// whether the peer hung up, how many received bytes wait in the kernel, and
// whether written bytes have left the line.

#include <string>

namespace tally {

// True when the handle reports a hang-up or an error (POLLHUP, POLLERR).
bool HandleHungUp(int handle);

// Received bytes waiting in the kernel, not yet read.
int BytesWaiting(int handle);

// Written bytes the kernel still holds for the line.
int BytesQueuedToSend(int handle);

// Reads everything waiting on a non-blocking handle.
std::string ReadWaiting(int handle);

// Waits until the kernel has sent every written byte, at most the given
// time; true when the output queue is empty and the line has drained.
bool DrainHandle(int handle, long long milliseconds);

}  // namespace tally
