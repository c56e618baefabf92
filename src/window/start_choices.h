#pragma once
// The choices the window starts with, and their remembering. Each port
// button opens the device given on the command line, else the one its
// TALLY77_COM variable names, else the one last chosen from its menu; its
// help names that device, and follows a new pick from the menu. A
// data directory given on the command line is chosen, as a click in Dir1
// would; else Dir1 only opens at the one last chosen and the port buttons
// wait for the operator. Every text box starts as it always does. From
// then on the devices picked from the menus and the data directory chosen
// are remembered.

#include <ostream>

#include "link/qt/qt_serial_port.h"
#include "window/command_line.h"
#include "window/form1.h"
#include "window/remembered_choices.h"

namespace tally {

// False, with the reason written to errors, when the data directory given
// cannot be read.
[[nodiscard]] bool ApplyStartChoices(Form1& window, QtSerialPort& port,
                                     RememberedChoices& remembered, const StartOptions& options,
                                     std::ostream& errors);

}  // namespace tally
