#include "records/slot_lines.h"

#include <algorithm>
#include <cstddef>

#include "records/set_layout.h"

namespace tally {

namespace {

constexpr std::size_t kFliFields = 4;
constexpr std::size_t kFliiFields = kMostFields;
constexpr std::size_t kKeyLength = 2;  // field 1; every other field is at least three wide

bool IsNumber(std::string_view field) {
  return !field.empty() && std::all_of(field.begin(), field.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '.';
  });
}

}  // namespace

std::optional<std::vector<std::string_view>> SlotLines(std::string_view slots) {
  if (slots.empty() || slots[0] != ',') return std::nullopt;
  std::vector<std::string_view> fields;
  for (std::size_t start = 1;;) {
    const std::size_t comma = slots.find(',', start);
    const std::string_view field =
        slots.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (!IsNumber(field)) return std::nullopt;
    fields.push_back(field);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  // A line holds four fields or eight: when the fields left fit only one of
  // them, that; otherwise the line after a four-field line opens with its
  // two-character channel key, where an eight-field line's fifth field is
  // at least three wide.
  constexpr auto kChannels = static_cast<std::size_t>(kChannelSlots);
  std::vector<std::string_view> lines;
  std::size_t field = 0;
  while (field < fields.size() && lines.size() < kChannels) {
    const std::size_t left = kChannels - lines.size();
    const std::size_t remaining = fields.size() - field;
    std::size_t count = kFliiFields;
    if (remaining == left * kFliFields) {
      count = kFliFields;
    } else if (remaining != left * kFliiFields && remaining > kFliFields &&
               fields[field + kFliFields].size() <= kKeyLength) {
      count = kFliFields;
    }
    if (remaining < count) return std::nullopt;
    const std::string_view last = fields[field + count - 1];
    const char* const from = fields[field].data();
    lines.emplace_back(from, static_cast<std::size_t>(last.data() + last.size() - from));
    field += count;
  }
  if (lines.size() != kChannels || field != fields.size()) return std::nullopt;
  return lines;
}

}  // namespace tally
