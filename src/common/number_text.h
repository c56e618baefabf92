#pragma once
// Numbers from window texts and file columns, independent of the locale.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace tally {

// The numeric value of a text. Blanks, tabs and line feeds anywhere in the
// text are ignored ("1 2" gives 12). Reads an optional sign, digits with an
// optional "." and an optional exponent, and stops at the first character
// that cannot continue the number. No number (the empty text included) gives
// 0. Values beyond double range saturate to +/-infinity are never produced:
// they give the largest finite double of that sign.
double NumberFromText(std::string_view text);

// A whole text that is one decimal number and nothing else (leading and
// trailing blanks allowed, a sign and leading zeros allowed). Used for items
// of the scratch file, where anything else means the burst is not a reading.
std::optional<double> ParseWholeNumber(std::string_view text);

// A real to the nearest integer, a half going to the even neighbour (2.5
// gives 2, 3.5 gives 4, 1501.5 gives 1502). Values beyond the range of
// int64 saturate to its ends; not-a-number gives 0.
std::int64_t NearestWhole(double value);

// Appends a whole number as printf's "%0<width>d" writes it: its digits,
// zeros in front to fill width (a minus sign counts towards it), never cut.
// Stamps made for every reading go this way instead of through printf.
void AppendZeroPadded(std::string& text, long long value, int width);

// One field of a stamp: its number zero-padded to width, then the
// character that follows it (none when '\0').
struct StampField {
  long long value;
  int width;
  char after = '\0';
};
// Appends the fields of a stamp ("14:30:15 12-06-2026", "20261206").
void AppendStamp(std::string& text, std::initializer_list<StampField> fields);

// Plain decimal text of a number as the window shows it: no leading blank,
// no exponent, at most 15 significant digits (16, 1.5, -0.5, 0.1).
std::string DecimalText(double value);

}  // namespace tally
