#include "support/fixed_line.h"

#include "common/positional_text.h"

namespace tally {

std::string FixedLine(std::size_t width, std::initializer_list<LinePiece> pieces) {
  std::string line(width, ' ');
  for (const LinePiece& piece : pieces) Overwrite(line, piece.position, piece.text);
  return line + "\r\n";
}

}  // namespace tally
