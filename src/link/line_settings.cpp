#include "link/line_settings.h"

#include <cctype>
#include <cmath>
#include <string_view>
#include <vector>

namespace tally {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> Items(std::string_view text) {
  std::vector<std::string_view> items;
  std::size_t start = 0;
  for (std::size_t comma = text.find(','); comma != std::string_view::npos;
       comma = text.find(',', start)) {
    items.push_back(Trimmed(text.substr(start, comma - start)));
    start = comma + 1;
  }
  items.push_back(Trimmed(text.substr(start)));
  return items;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return true;
}

Failure Refused(const std::string& text, const std::string& why) {
  return Failure{FailureCode::PortSettings, "line settings \"" + text + "\": " + why};
}

constexpr int kHighestBaud = 4000000;

}  // namespace

Outcome<LineSettings> ParseLineSettings(const std::string& text) {
  const std::vector<std::string_view> items = Items(text);
  if (items.size() != 4) {
    return Refused(text, "expected baud, parity, data bits and stop bits, as in 300,N,8,1");
  }
  LineSettings settings;

  const std::string_view baud = items[0];
  if (!AllDigits(baud) || baud.size() > 7 || std::stoi(std::string(baud)) == 0 ||
      std::stoi(std::string(baud)) > kHighestBaud) {
    return Refused(text, "the baud rate must be a whole number from 1 to 4000000");
  }
  settings.baud = std::stoi(std::string(baud));

  const std::string_view parity = items[1];
  const char letter = parity.size() == 1 ? static_cast<char>(std::toupper(parity[0])) : '?';
  switch (letter) {
    case 'N': settings.parity = Parity::None; break;
    case 'E': settings.parity = Parity::Even; break;
    case 'O': settings.parity = Parity::Odd; break;
    case 'S': settings.parity = Parity::Space; break;
    case 'M': settings.parity = Parity::Mark; break;
    default: return Refused(text, "the parity must be N, E, O, S or M");
  }

  const std::string_view dataBits = items[2];
  if (dataBits.size() != 1 || dataBits[0] < '5' || dataBits[0] > '8') {
    return Refused(text, "the data bits must be 5, 6, 7 or 8");
  }
  settings.dataBits = dataBits[0] - '0';

  const std::string_view stopBits = items[3];
  if (stopBits == "1") {
    settings.stopBits = StopBits::One;
  } else if (stopBits == "1.5") {
    settings.stopBits = StopBits::OneAndHalf;
  } else if (stopBits == "2") {
    settings.stopBits = StopBits::Two;
  } else {
    return Refused(text, "the stop bits must be 1, 1.5 or 2");
  }
  return settings;
}

long long MillisecondsToSend(const LineSettings& settings, std::size_t characters) {
  double bitsPerCharacter = 1.0 + settings.dataBits + (settings.parity == Parity::None ? 0 : 1);
  switch (settings.stopBits) {
    case StopBits::One: bitsPerCharacter += 1.0; break;
    case StopBits::OneAndHalf: bitsPerCharacter += 1.5; break;
    case StopBits::Two: bitsPerCharacter += 2.0; break;
  }
  const double baud = settings.baud > 0 ? settings.baud : 1;
  return static_cast<long long>(std::ceil(1000.0 * bitsPerCharacter * characters / baud));
}

}  // namespace tally
