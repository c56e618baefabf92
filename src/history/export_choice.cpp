#include "history/export_choice.h"

#include <charconv>
#include <cstdio>
#include <string_view>

namespace tally::history {

namespace {

bool ReadInt(std::string_view text, int& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<LocalStamp> ReadLocalBound(const std::string& text, bool end, std::string& error) {
  LocalStamp stamp;
  const std::string_view view = text;
  const bool dateOnly = view.size() == 10;
  const bool valid =
      (dateOnly || view.size() == 16 || view.size() == 19) && view[4] == '-' && view[7] == '-' &&
      ReadInt(view.substr(0, 4), stamp.year) && ReadInt(view.substr(5, 2), stamp.month) &&
      ReadInt(view.substr(8, 2), stamp.day) &&
      (dateOnly || ((view[10] == 'T' || view[10] == ' ') && view[13] == ':' &&
                    ReadInt(view.substr(11, 2), stamp.hour) && ReadInt(view.substr(14, 2), stamp.minute) &&
                    (view.size() == 16 || (view[16] == ':' && ReadInt(view.substr(17, 2), stamp.second)))));
  // An end takes what it names whole: the day, or the minute.
  if (valid && end && dateOnly) {
    stamp.hour = 23;
    stamp.minute = 59;
  }
  if (valid && end && view.size() < 19) stamp.second = 59;
  // A stamp names a real day when it survives the round trip through seconds.
  if (!valid || stamp.month < 1 || stamp.month > 12 || stamp.day < 1 || stamp.hour > 23 ||
      stamp.minute > 59 || stamp.second > 59 || LocalStamp::FromSeconds(stamp.Seconds()) != stamp) {
    error = "\"" + text + "\" is not a local date (yyyy-mm-dd) or date and time (yyyy-mm-ddThh:mm[:ss])";
    return std::nullopt;
  }
  return stamp;
}

std::optional<std::bitset<kChannelSlots + 1>> ReadChannels(const std::string& text, std::string& error) {
  std::bitset<kChannelSlots + 1> channels;
  std::string_view rest = text;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string_view part = rest.substr(0, comma);
    const std::size_t dash = part.find('-');
    int first = 0;
    int last = 0;
    const bool read = dash == std::string_view::npos
                          ? ReadInt(part, first) && (last = first, true)
                          : ReadInt(part.substr(0, dash), first) && ReadInt(part.substr(dash + 1), last);
    if (!read || first < 1 || last > kChannelSlots || first > last) {
      // The quote as a char: GCC 12 warns falsely (-Wrestrict, its bug 105329)
      // of a one-character literal put before a temporary string.
      error = '"' + std::string(part) + "\" is not a channel from 1 to 16 or a range such as 1-4";
      return std::nullopt;
    }
    for (int channel = first; channel <= last; ++channel) channels.set(channel);
    if (comma == std::string_view::npos) return channels;
    rest.remove_prefix(comma + 1);
  }
}

}  // namespace tally::history
