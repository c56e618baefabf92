#pragma once
// The capture events as the window shows them: list entries, box texts,
// captions and the status indicator's colour, in the window's own words.

#include "capture/capture_events.h"
#include "window/surface/window_surface.h"

namespace tally {

// The status message shown while a completed set is kept, not yet written.
inline constexpr const char* kSetKeptMessage = "Set kept, not yet written";

class SurfaceEvents : public CaptureEvents {
 public:
  explicit SurfaceEvents(WindowSurface& surface) : surface_(surface) {}
  void Tell(const CaptureEvent& event) override;

 private:
  void ShowStatus(std::uint32_t colour, const std::string& message);

  WindowSurface& surface_;
};

}  // namespace tally
