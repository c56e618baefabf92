#pragma once
// The window's own icon: a metering dial with its needle and a pulse of
// readings, drawn at 32 by 32 and 16 by 16 pixels in a few flat colours.

#include <QIcon>

namespace tally {

QIcon ProgramIcon();

}  // namespace tally
