#pragma once
// A whole capture run on the test doubles: events wired as the window wires
// them, default support files in the data directory, bursts arriving from
// the scripted port and framed by the manual timer on simulated time.

#include <string>

#include "doubles/test_rig.h"

namespace tally::testing {

class CaptureRun : public TestRig {
 public:
  CaptureRun();

  void PressPort(int number = 1);
  void SetObs(const std::string& text);

  // Characters arrive in one receive event; the quiet interval then passes
  // and the timer ticks.
  void Burst(const std::string& text);
  // The first burst after start, thrown away by the sync tick.
  void SyncBurst() { Burst("noise"); }
  // count good bursts for channels first, first+1, ... (wrapping after 16).
  void Lines(int count, int first = 1);

  // The burst the processor sends for a channel, and the line made of it.
  static std::string BurstFor(int channel);
  static std::string LineFor(int channel);
  // How often text was written to the port.
  int Sent(const std::string& text) const;
};

}  // namespace tally::testing
