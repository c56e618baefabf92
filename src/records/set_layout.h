#pragma once
// The layout of a set record, one line of "fl.db1": the processor marker
// (four characters), the local stamp (yyyymmddhhmmss), then one slot per
// channel in channel order, each a comma and the reading line's fields, and
// two closing characters. The capture writes it; every reader reads it.

#include <array>
#include <cstddef>

namespace tally {

// The processor type of the lines of a set: fLI lines hold 4 fields, fLII 8.
enum class SetType { fLI, fLII };
const char* TypeName(SetType type);  // "fLI", "fLII"

inline constexpr int kChannelSlots = 16;
inline constexpr int kMostFields = 8;
inline constexpr std::size_t kMarkerLength = 4;
inline constexpr std::size_t kStampStart = kMarkerLength;
inline constexpr std::size_t kStampDigits = 14;                    // yyyymmddhhmmss
inline constexpr std::size_t kHeaderLength = kStampStart + kStampDigits;  // where slot 1 begins (its comma)
inline constexpr std::size_t kEndLength = 2;                       // "  " or ", "
// The widths of a reading line's fields, in order.
inline constexpr std::array<int, kMostFields> kFieldWidth = {2, 3, 5, 5, 3, 5, 5, 5};

constexpr int FieldCount(SetType type) { return type == SetType::fLII ? kMostFields : 4; }

// A slot: the comma before each field and the field.
constexpr std::size_t SlotWidth(SetType type) {
  std::size_t width = 0;
  for (int field = 0; field < FieldCount(type); ++field) width += 1 + static_cast<std::size_t>(kFieldWidth[field]);
  return width;
}

// A whole record without its CR LF.
constexpr std::size_t RecordLength(SetType type) {
  return kHeaderLength + static_cast<std::size_t>(kChannelSlots) * SlotWidth(type) + kEndLength;
}

// Where slot (1..16) begins, 0-based: at its comma. Its channel key, two
// digits, stands right after the comma.
constexpr std::size_t SlotStart(SetType type, int slot) {
  return kHeaderLength + static_cast<std::size_t>(slot - 1) * SlotWidth(type);
}

inline constexpr std::size_t kFliRecordLength = RecordLength(SetType::fLI);
inline constexpr std::size_t kFliiRecordLength = RecordLength(SetType::fLII);
static_assert(kFliRecordLength == 324 && kFliiRecordLength == 676);

}  // namespace tally
