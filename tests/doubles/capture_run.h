#pragma once
// One capture run on test doubles: a recording surface (the capture's events
// shown on it and the run settings read from it as the window does), the
// scripted port,
// one simulated time that drives both the clock and the burst timer, the
// program host, and the run's events wired as the window wires them. The
// plain run lives in a fresh temporary data directory, which the directory
// list points at and dataPath holds as SelectDataDirectory sets it; the
// fault runs name a directory of their own, the window runs are shown in
// the window.

#include <memory>
#include <string>
#include <vector>

#include "capture/capture_context.h"
#include "doubles/recording_program.h"
#include "doubles/recording_surface.h"
#include "doubles/scripted_port.h"
#include "doubles/simulated_time.h"
#include "doubles/temp_dir.h"
#include "window/surface/surface_events.h"
#include "window/surface/surface_settings.h"

namespace tally::testing {

// Asks for the default support files (ct.dat, ferro.dat, ferro.txt) in the
// temporary data directory.
inline constexpr struct WithSupportFiles {
} kWithSupportFiles;

class CaptureRun {
 public:
  CaptureRun();
  explicit CaptureRun(WithSupportFiles);
  // A run around the given data directory (dataPath is left to the port
  // button), shown on the test's own surface (kept by reference) or on a
  // recording surface of the run's own.
  explicit CaptureRun(std::string directory, RecordingSurface* shownOn = nullptr);
  CaptureRun(const CaptureRun&) = delete;
  CaptureRun& operator=(const CaptureRun&) = delete;

  void WriteSupportFiles() const;
  void PressPort(int number = 1);
  void SetObs(const std::string& text);

  // Characters arrive in one receive event; the quiet interval then passes
  // and the burst timer ticks.
  void Burst(const std::string& text);
  // The first burst after start, thrown away by the sync tick.
  void SyncBurst() { Burst("noise"); }
  // count good bursts for channels first, first+1, ... (wrapping after 16).
  void Lines(int count, int first = 1);

  // The burst the processor sends for a channel, and the line made of it
  // (value 5).
  static std::string BurstFor(int channel, int value = 5);
  static std::string LineFor(int channel);
  // How often text was written to the port.
  int Sent(const std::string& text) const;

  // The content of a file of the data directory ("" when missing).
  std::string Read(const std::string& name) const;
  const std::string& directory() const { return directory_; }

  TempDir dir;
  std::unique_ptr<RecordingSurface> ownSurface;
  RecordingSurface& surface;
  WindowSurface& shown;  // where the run is shown: surface, or the window
  ScriptedPort port;
  SimulatedTime time;
  RecordingProgram program;
  // The events in the window's words, the settings from its boxes.
  SurfaceEvents events;
  SurfaceSettings settings;
  CaptureContext context;

 protected:
  // A run shown on another surface and ended by another host: the window,
  // where the operator chooses the data directory.
  CaptureRun(WindowSurface& shown, ProgramHost& host);

 private:
  std::string directory_;
};

// The default support files ct.dat, ferro.dat and ferro.txt in directory.
void WriteDefaultSupportFiles(const std::string& directory);
// The default channel table (high 000 and low 999: both tests off) with
// channel 3's limit columns, from the high limit on, overwritten by limits.
std::string TableWithChannel3Limits(const std::string& limits);

// Lines (CR LF ended) of a file's content; a last line without CR LF counts.
std::vector<std::string> LinesOf(const std::string& content);
// How often piece stands in text.
int CountOf(const std::string& text, const std::string& piece);

}  // namespace tally::testing
