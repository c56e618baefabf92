#pragma once
// Fixed-width text lines for the default support files: blanks with text
// pieces at given positions, ended by CR LF.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tally {

struct LinePiece {
  std::size_t position;  // 1-based start column
  std::string_view text;
};

// A line of width blanks with each piece written over it from its position
// (nothing past the width), followed by CR LF.
std::string FixedLine(std::size_t width, std::initializer_list<LinePiece> pieces);

}  // namespace tally
