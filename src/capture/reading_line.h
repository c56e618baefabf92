#pragma once
// One decoded burst: field values, padded field texts and the joined line.

#include <array>
#include <string>

#include "records/set_layout.h"

namespace tally {

// Fields 1..8 are padded with leading zeros to kFieldWidth.
inline constexpr int kMaxFields = kMostFields;

struct ReadingLine {
  int fieldCount = 4;                       // 4 (fLI) or 8 (fLII)
  std::array<double, kMaxFields> fieldValue{};  // index 0 is field 1
  std::array<std::string, kMaxFields> fieldText{};
  std::string text;                         // fieldText 1..fieldCount joined by ","
};

// The two stamps of one processed burst.
struct Stamps {
  std::string dateStamp;  // "fL01" + yyyy + mm + dd (12 characters)
  std::string timeStamp;  // hh + mm + ss (6 characters)
};

}  // namespace tally
