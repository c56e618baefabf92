#pragma once
// One line of the set database "fl.db1": the processor marker, the local
// stamp of the set, the processor type and the 16 channel slots, or the
// reason why the line is damaged. Text is 8-bit (shown as Latin-1).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "records/set_layout.h"

namespace tally {

// A local date and time as the capture wrote it, without a zone.
struct LocalStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

  // Seconds since 1970-01-01 00:00 counted as if the stamp were UTC: a key
  // that orders stamps and steps by whole seconds.
  std::int64_t Seconds() const;
  static LocalStamp FromSeconds(std::int64_t seconds);
  // yyyy-mm-ddThh:mm:ss
  std::string Iso() const;
  friend auto operator<=>(const LocalStamp&, const LocalStamp&) = default;
};

// Why a line is not a set. None for a whole set.
enum class Damage {
  None,
  NoCarriageReturn,  // a line ended by LF alone, run on into the next
  WrongLength,
  MixedTypes,  // a set completed with fLI and fLII lines
  StampNotDigits,
  StampNoDate,
  MissingComma,  // a slot that does not open with a comma, or fields not separated
  NotDigits,     // a field with bytes other than digits and one decimal point
  BadEnd,        // the two characters after the last slot are neither "  " nor ", "
  CutShort,      // the file no longer holds the whole line: it was cut short since it was indexed
};

// The quick verdict used while indexing: the line's bytes without the CR LF.
Damage CheckSetLine(std::string_view line);

struct Field {
  std::uint16_t position = 0;  // from the start of the line, 0-based
  std::uint8_t length = 0;
  double value = 0;
};

struct ChannelSlot {
  int fieldCount = 0;  // 4 (fLI) or 8 (fLII)
  std::array<Field, kMostFields> fields{};
};

struct SetLine {
  std::string text;  // the line without its line end
  Damage damage = Damage::None;
  // The operator's words for damage; for a whole set "" or, when a value
  // is wider than its field (the line is then longer), what says so.
  std::string reason;
  bool overWide = false;  // a whole set with a field wider than its width
  // The first four characters; shown for damaged lines too.
  std::string marker;
  // Read whenever the header holds a date, even on a line damaged further on.
  bool hasStamp = false;
  LocalStamp stamp;
  SetType type = SetType::fLI;
  std::array<ChannelSlot, kChannelSlots> slots{};

  bool damaged() const { return damage != Damage::None; }
  // A field of slot (1..16), field (1..8) as written, padded.
  std::string_view FieldText(int slot, int field) const;
  // The same without padding zeros: "00020" gives "20", "00000" gives "0".
  std::string_view PlainNumber(int slot, int field) const;
  double Value(int slot, int field) const;
};

// The stamp of a line's header; false when the header holds no date.
bool ReadStamp(std::string_view line, LocalStamp& stamp);

// Parses a line (without its line end). Never throws on any bytes.
SetLine ParseSetLine(std::string_view line);

// The number without its leading zeros ("007" -> "7", "000" -> "0", "00.5" -> "0.5").
std::string_view WithoutPadding(std::string_view number);

}  // namespace tally
