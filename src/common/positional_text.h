#pragma once
// Positional text operations on 8-bit text. Positions count from 1.

#include <cstddef>
#include <string>
#include <string_view>

namespace tally {

// Up to count characters from position (1-based). A position past the end
// gives a shorter or empty text.
std::string Mid(std::string_view text, std::size_t position, std::size_t count);

// The first count characters (all of the text when it is shorter).
std::string Left(std::string_view text, std::size_t count);

// The last count characters (all of the text when it is shorter).
std::string Right(std::string_view text, std::size_t count);

// Overwrites characters of text from position (1-based) with replacement, in
// place: the length of text never changes and nothing is written past its
// end. A position past the end changes nothing.
void Overwrite(std::string& text, std::size_t position, std::string_view replacement);

}  // namespace tally
