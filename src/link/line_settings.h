#pragma once
// Line settings of a serial port as the program writes them ("300,N,8,1"):
// baud rate, parity letter, data bits and stop bits, separated by commas.

#include <cstddef>
#include <string>

#include "common/outcome.h"

namespace tally {

enum class Parity { None, Even, Odd, Space, Mark };
enum class StopBits { One, OneAndHalf, Two };

struct LineSettings {
  int baud = 300;
  Parity parity = Parity::None;
  int dataBits = 8;
  StopBits stopBits = StopBits::One;
};

// Parses "baud,parity,data bits,stop bits": a whole positive baud rate,
// parity N, E, O, S or M (either case), 5 to 8 data bits, 1, 1.5 or 2 stop
// bits; blanks around an item are allowed. Anything else is refused with a
// message that says which item is wrong.
Outcome<LineSettings> ParseLineSettings(const std::string& text);

// Milliseconds the line needs to carry this many characters: start bit,
// data bits, parity bit and stop bits per character, rounded up.
long long MillisecondsToSend(const LineSettings& settings, std::size_t characters);

}  // namespace tally
