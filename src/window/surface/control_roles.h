#pragma once
// What each named control of the capture window is for. The window keeps
// its controls' fixed names (Text1, Label1, ...); its rendering and its
// tests speak of a control by its role.

#include "window/surface/window_surface.h"

namespace tally {

// The file marker: the data directory's name, put in front of every set
// record.
inline constexpr TextBox kMarker = TextBox::Text1;
// The lines of the set in progress, or why a support file failed.
inline constexpr TextBox kLineCount = TextBox::Text2;
// Obs #: the sets still wanted; the count of the end command.
inline constexpr TextBox kObsWanted = TextBox::Text3;
// The burst interval in milliseconds.
inline constexpr TextBox kInterval = TextBox::Text4;

// The status message over the indicator.
inline constexpr Caption kStatus = Caption::Label1;
// The processor type of the last burst: "fLI" or "fLII".
inline constexpr Caption kProcessorType = Caption::Label3;
// The sets completed since start.
inline constexpr Caption kObsCount = Caption::Label4;

}  // namespace tally
