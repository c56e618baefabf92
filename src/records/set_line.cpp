#include "records/set_line.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "records/slot_lines.h"

namespace tally {

namespace {

constexpr std::size_t kFliSlot = SlotWidth(SetType::fLI);
constexpr std::size_t kFliiSlot = SlotWidth(SetType::fLII);

// What each position of a whole record may hold, from the stamp to the last
// slot: a digit only (stamp), a digit or a decimal point (fields), or a comma.
// Checked branch-free over the whole record, since most lines are whole.
// The same checks sixteen bytes at a time, for the quick verdict while
// indexing: in each lane, the bytes that must be digits; the others must
// equal the expected ones (the commas). A decimal point fails here and
// is judged by the full parse.
using Lane = unsigned char __attribute__((vector_size(16)));
constexpr std::size_t kLaneBytes = sizeof(Lane);

struct LayoutLane {
  std::size_t offset = 0;
  Lane digits{};    // 0xFF where a digit must stand
  Lane expected{};  // elsewhere, the byte that must stand there
};

struct Layout {
  std::size_t length = 0;
  std::array<unsigned char, kFliiRecordLength> digitAllowed{};
  std::array<char, kFliiRecordLength> otherAllowed{};  // '0' where only digits may stand
  std::vector<LayoutLane> lanes;                       // from the stamp to the last slot
};

LayoutLane LaneAt(const Layout& layout, std::size_t offset) {
  LayoutLane lane;
  lane.offset = offset;
  for (std::size_t k = 0; k < kLaneBytes; ++k) {
    const std::size_t i = offset + k;
    if (layout.digitAllowed[i]) {
      lane.digits[k] = 0xFF;
    } else {
      lane.expected[k] = static_cast<unsigned char>(layout.otherAllowed[i]);
    }
  }
  return lane;
}

void AddLanes(Layout& layout) {
  const std::size_t end = layout.length - kEndLength;
  for (std::size_t offset = kStampStart; offset + kLaneBytes <= end; offset += kLaneBytes)
    layout.lanes.push_back(LaneAt(layout, offset));
  if ((end - kStampStart) % kLaneBytes != 0) layout.lanes.push_back(LaneAt(layout, end - kLaneBytes));
}

bool LanesMatch(std::string_view line, const Layout& layout) {
  Lane bad{};
  for (const LayoutLane& lane : layout.lanes) {
    Lane bytes;
    std::memcpy(&bytes, line.data() + lane.offset, kLaneBytes);
    const Lane nonDigits = reinterpret_cast<Lane>(static_cast<Lane>(bytes - '0') > 9);
    bad |= (nonDigits & lane.digits) | ((bytes ^ lane.expected) & ~lane.digits);
  }
  std::uint64_t halves[2];
  std::memcpy(halves, &bad, sizeof halves);
  return (halves[0] | halves[1]) == 0;
}

Layout MakeLayout(SetType type) {
  Layout layout;
  layout.length = type == SetType::fLII ? kFliiRecordLength : kFliRecordLength;
  for (std::size_t i = kStampStart; i < kHeaderLength; ++i) {
    layout.digitAllowed[i] = 1;
    layout.otherAllowed[i] = '0';
  }
  std::size_t position = kHeaderLength;
  for (int slot = 0; slot < kChannelSlots; ++slot) {
    for (int field = 0; field < FieldCount(type); ++field) {
      layout.otherAllowed[position++] = ',';  // the slot's comma, then the fields' commas
      for (int i = 0; i < kFieldWidth[field]; ++i) {
        layout.digitAllowed[position] = 1;
        layout.otherAllowed[position++] = '.';
      }
    }
  }
  AddLanes(layout);
  return layout;
}

const Layout& LayoutOf(SetType type) {
  static const Layout fli = MakeLayout(SetType::fLI);
  static const Layout flii = MakeLayout(SetType::fLII);
  return type == SetType::fLII ? flii : fli;
}

bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

int Number(std::string_view text, std::size_t from, std::size_t count) {
  int value = 0;
  for (std::size_t i = from; i < from + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

LocalStamp StampOf(std::string_view line) {
  LocalStamp stamp;
  stamp.year = Number(line, 4, 4);
  stamp.month = Number(line, 8, 2);
  stamp.day = Number(line, 10, 2);
  stamp.hour = Number(line, 12, 2);
  stamp.minute = Number(line, 14, 2);
  stamp.second = Number(line, 16, 2);
  return stamp;
}

bool IsDate(const LocalStamp& s) {
  return s.month >= 1 && s.month <= 12 && s.day >= 1 && s.day <= DaysInMonth(s.year, s.month) &&
         s.hour <= 23 && s.minute <= 59 && s.second <= 59;
}

// Whether the type's layout of positions from..to holds: true when only
// allowed bytes stand there. dots counts the decimal points met.
bool MatchesLayout(std::string_view line, const Layout& layout, std::size_t from, std::size_t to, int& dots) {
  unsigned bad = 0;
  int dotCount = 0;
  for (std::size_t i = from; i < to; ++i) {
    const char c = line[i];
    const unsigned digit = IsDigit(c);
    bad |= digit ? !layout.digitAllowed[i] : (c != layout.otherAllowed[i]);
    dotCount += c == '.';
  }
  dots = dotCount;
  return bad == 0;
}

// A field holding digits and at most one decimal point, with a digit.
bool IsNumber(std::string_view field) {
  int points = 0;
  int digits = 0;
  for (char c : field) {
    points += c == '.';
    digits += IsDigit(c);
  }
  return points <= 1 && digits >= 1 && points + digits == static_cast<int>(field.size());
}

bool IsMixedLength(std::size_t length) {
  // k fLI lines among 16: 676 - 22k characters, k from 1 to 15.
  if (length >= kFliiRecordLength || length <= kFliRecordLength) return false;
  return (kFliiRecordLength - length) % (kFliiSlot - kFliSlot) == 0;
}

// Chars, not one-character literals: GCC 12 warns falsely of those before a
// temporary string (-Wrestrict, its bug 105329).
std::string Quoted(std::string_view text) { return '"' + std::string(text) + '"'; }

void CheckEnd(SetLine& set) {
  const std::string_view end = std::string_view(set.text).substr(set.text.size() - kEndLength);
  if (end != "  " && end != ", ") {
    set.damage = Damage::BadEnd;
    set.reason = "ends in " + Quoted(end) + ", not two blanks or a comma and a blank";
  }
}

// The header, type and slots of a line of the right length; damage and
// reason on the first fault met.
void ReadSlots(SetLine& set) {
  const std::string_view line = set.text;
  const std::size_t width = SlotWidth(set.type);
  for (int slot = 0; slot < kChannelSlots; ++slot) {
    std::size_t position = kHeaderLength + slot * width;
    ChannelSlot& channel = set.slots[slot];
    channel.fieldCount = FieldCount(set.type);
    for (int field = 0; field < channel.fieldCount; ++field) {
      if (line[position] != ',') {
        set.damage = Damage::MissingComma;
        set.reason = "no comma at character " + std::to_string(position + 1);
        return;
      }
      ++position;
      const std::string_view text = line.substr(position, kFieldWidth[field]);
      if (!IsNumber(text)) {
        set.damage = Damage::NotDigits;
        set.reason = "slot " + std::to_string(slot + 1) + " field " + std::to_string(field + 1) +
                     " is not a number: " + Quoted(text);
        return;
      }
      Field& out = channel.fields[field];
      out.position = static_cast<std::uint16_t>(position);
      out.length = static_cast<std::uint8_t>(text.size());
      std::from_chars(text.data(), text.data() + text.size(), out.value);
      position += text.size();
    }
  }
  CheckEnd(set);
}

// What a line of another length holds: 16 slots of one type whose fields
// are at least as wide as their widths (Whole), slots of both types
// (Mixed), or no slots (None).
enum class SlotShape { None, Mixed, Whole };

bool ReadField(std::string_view line, std::string_view text, int field, Field& out) {
  const auto position = static_cast<std::size_t>(text.data() - line.data());
  if (text.size() < static_cast<std::size_t>(kFieldWidth[field])) return false;
  if (text.size() > UINT8_MAX || position + text.size() > UINT16_MAX || !IsNumber(text)) return false;
  out.position = static_cast<std::uint16_t>(position);
  out.length = static_cast<std::uint8_t>(text.size());
  std::from_chars(text.data(), text.data() + text.size(), out.value);
  return true;
}

bool ReadWideSlot(std::string_view line, std::string_view slot, ChannelSlot& channel) {
  channel.fieldCount = 0;
  for (std::size_t start = 0;;) {
    const std::size_t comma = slot.find(',', start);
    const std::string_view text = slot.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (channel.fieldCount == kMostFields) return false;
    if (!ReadField(line, text, channel.fieldCount, channel.fields[channel.fieldCount])) return false;
    ++channel.fieldCount;
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

SlotShape ReadWideSlots(SetLine& set) {
  const std::string_view line = set.text;
  if (line.size() <= kHeaderLength + kEndLength) return SlotShape::None;
  const auto slots = SlotLines(line.substr(kHeaderLength, line.size() - kHeaderLength - kEndLength));
  if (!slots) return SlotShape::None;
  for (int slot = 0; slot < kChannelSlots; ++slot) {
    if (!ReadWideSlot(line, (*slots)[slot], set.slots[slot])) {
      set.slots = {};
      return SlotShape::None;
    }
  }
  const int fieldCount = set.slots[0].fieldCount;
  for (const ChannelSlot& slot : set.slots) {
    if (slot.fieldCount != fieldCount) {
      set.slots = {};
      return SlotShape::Mixed;
    }
  }
  set.type = fieldCount == kMostFields ? SetType::fLII : SetType::fLI;
  return SlotShape::Whole;
}

}  // namespace

const char* TypeName(SetType type) { return type == SetType::fLII ? "fLII" : "fLI"; }

std::int64_t LocalStamp::Seconds() const {
  // Days from civil (proleptic Gregorian), as in H. Hinnant's algorithm.
  const int y = year - (month <= 2);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

LocalStamp LocalStamp::FromSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int dayOfEra = static_cast<int>(days - era * 146097);
  const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int mp = (5 * dayOfYear + 2) / 153;
  LocalStamp stamp;
  stamp.day = dayOfYear - (153 * mp + 2) / 5 + 1;
  stamp.month = mp < 10 ? mp + 3 : mp - 9;
  stamp.year = static_cast<int>(yearOfEra + era * 400) + (stamp.month <= 2);
  stamp.hour = static_cast<int>(rest / 3600);
  stamp.minute = static_cast<int>(rest / 60 % 60);
  stamp.second = static_cast<int>(rest % 60);
  return stamp;
}

std::string LocalStamp::Iso() const {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return buffer;
}

bool ReadStamp(std::string_view line, LocalStamp& stamp) {
  if (line.size() < kHeaderLength) return false;
  int dots = 0;
  if (!MatchesLayout(line, LayoutOf(SetType::fLI), kStampStart, kHeaderLength, dots)) return false;
  stamp = StampOf(line);
  return IsDate(stamp);
}

Damage CheckSetLine(std::string_view line) {
  SetType type;
  if (line.size() == kFliRecordLength) {
    type = SetType::fLI;
  } else if (line.size() == kFliiRecordLength) {
    type = SetType::fLII;
  } else {
    return ParseSetLine(line).damage;  // over-wide, mixed or damaged: the full parse tells
  }
  const Layout& layout = LayoutOf(type);
  const std::string_view end = line.substr(line.size() - kEndLength);
  if (LanesMatch(line, layout) && IsDate(StampOf(line)) && (end == "  " || end == ", ")) return Damage::None;
  // Damaged, or a decimal point: the full parse tells.
  return ParseSetLine(line).damage;
}

SetLine ParseSetLine(std::string_view line) {
  SetLine set;
  set.text = std::string(line);
  set.marker = set.text.substr(0, kMarkerLength);
  set.hasStamp = ReadStamp(line, set.stamp);
  if (line.size() == kFliRecordLength || line.size() == kFliiRecordLength) {
    set.type = line.size() == kFliiRecordLength ? SetType::fLII : SetType::fLI;
  } else if (const SlotShape shape = ReadWideSlots(set); shape == SlotShape::Whole) {
    set.overWide = true;
    set.reason = "over-wide: " + std::to_string(line.size()) + " characters, a value wider than its field; " +
                 "every reading kept";
  } else if (line.find('\n') != std::string_view::npos) {
    // A line ended by LF alone runs on into the next one.
    set.damage = Damage::NoCarriageReturn;
    set.reason = "line ends in LF without CR";
    return set;
  } else if (shape == SlotShape::Mixed || IsMixedLength(line.size())) {
    set.damage = Damage::MixedTypes;
    set.reason = "a set of fLI and fLII lines mixed: " + std::to_string(line.size()) + " characters";
    return set;
  } else {
    set.damage = Damage::WrongLength;
    set.reason = "wrong length: " + std::to_string(line.size()) + " characters, not " +
                 std::to_string(kFliRecordLength) + " (fLI) or " + std::to_string(kFliiRecordLength) +
                 " (fLII)";
    return set;
  }
  const std::string_view stamp = line.substr(kStampStart, kHeaderLength - kStampStart);
  if (!set.hasStamp) {
    int dots = 0;
    const bool digits = MatchesLayout(line, LayoutOf(set.type), kStampStart, kHeaderLength, dots);
    set.damage = digits ? Damage::StampNoDate : Damage::StampNotDigits;
    set.reason = (digits ? "stamp is no date: " : "stamp is not digits: ") + Quoted(stamp);
    return set;
  }
  if (set.overWide) {
    CheckEnd(set);
  } else {
    ReadSlots(set);
  }
  return set;
}

std::string_view SetLine::FieldText(int slot, int field) const {
  const Field& f = slots[slot - 1].fields[field - 1];
  return std::string_view(text).substr(f.position, f.length);
}

std::string_view SetLine::PlainNumber(int slot, int field) const {
  return WithoutPadding(FieldText(slot, field));
}

double SetLine::Value(int slot, int field) const { return slots[slot - 1].fields[field - 1].value; }

std::string_view WithoutPadding(std::string_view number) {
  std::size_t zeros = 0;
  while (zeros + 1 < number.size() && number[zeros] == '0' && number[zeros + 1] != '.') ++zeros;
  return number.substr(zeros);
}

}  // namespace tally
