#pragma once
// The reading lines of a set record's slots, found by their commas and
// fields rather than by position: what a record holds when a value is wider
// than its field (the line is then longer) or when fLI and fLII lines
// stand in one set.

#include <optional>
#include <string_view>
#include <vector>

namespace tally {

// The 16 lines of a set's slots (what follows the 18-character header,
// without the two characters a sorted record ends in): each opened by a
// comma, of four or eight numeric fields joined by commas, whatever their
// widths. Nothing when the text does not hold 16 such lines.
std::optional<std::vector<std::string_view>> SlotLines(std::string_view slots);

}  // namespace tally
