#include "common/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace tally {

namespace {

bool IsIgnoredInNumber(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The longest prefix of text that is a decimal number: sign, digits with an
// optional point, an optional exponent (only when digits follow it).
// Returns its length, 0 when text does not start with a number.
std::size_t NumberPrefixLength(std::string_view text) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  std::size_t digits = 0;
  while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
  if (at < text.size() && text[at] == '.') {
    ++at;
    while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
  }
  if (digits == 0) return 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t exponent = at + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    if (exponent < text.size() && IsDigit(text[exponent])) {
      while (exponent < text.size() && IsDigit(text[exponent])) ++exponent;
      at = exponent;
    }
  }
  return at;
}

// Whether a number too large or too small for a double is large: the
// decimal position of its first significant digit plus its exponent.
bool IsHugeMagnitude(std::string_view number) {
  long long position = 0;  // power of ten of the first significant digit + 1
  bool seenPoint = false;
  bool seenSignificant = false;
  std::size_t at = 0;
  for (; at < number.size() && number[at] != 'e' && number[at] != 'E'; ++at) {
    const char c = number[at];
    if (c == '.') {
      seenPoint = true;
    } else if (IsDigit(c)) {
      if (!seenSignificant && c != '0') seenSignificant = true;
      if (!seenPoint && seenSignificant) ++position;
      if (seenPoint && !seenSignificant) --position;
    }
  }
  long long exponent = 0;
  if (at < number.size()) {
    ++at;
    bool negative = false;
    if (at < number.size() && (number[at] == '+' || number[at] == '-')) negative = number[at++] == '-';
    for (; at < number.size(); ++at) {
      if (exponent < 100000000) exponent = exponent * 10 + (number[at] - '0');
    }
    if (negative) exponent = -exponent;
  }
  return position + exponent > 0;
}

// Converts a text that is exactly one decimal number (as found by
// NumberPrefixLength). Out-of-range values saturate: huge ones to the
// largest finite double, tiny ones to zero, keeping the sign.
double ConvertNumber(std::string_view number) {
  bool negative = false;
  if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    value = IsHugeMagnitude(number) ? std::numeric_limits<double>::max() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

double NumberFromText(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (const char c : text) {
    if (!IsIgnoredInNumber(c)) compact.push_back(c);
  }
  const std::size_t length = NumberPrefixLength(compact);
  if (length == 0) return 0;
  return ConvertNumber(std::string_view(compact).substr(0, length));
}

std::optional<double> ParseWholeNumber(std::string_view text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  const std::size_t length = NumberPrefixLength(text);
  if (length == 0 || length != text.size()) return std::nullopt;
  return ConvertNumber(text);
}

std::int64_t NearestWhole(double value) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (std::isnan(value)) return 0;
  if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  // nearbyint rounds in the current mode, which is round-half-to-even.
  return static_cast<std::int64_t>(std::nearbyint(value));
}

void AppendZeroPadded(std::string& text, long long value, int width) {
  // The digits from the last one back, in a buffer that holds any of them.
  std::array<char, 24> digits{};
  char* const end = digits.data() + digits.size();
  char* first = end;
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const int count = static_cast<int>(end - first) + (value < 0 ? 1 : 0);
  if (value < 0) text += '-';
  if (count < width) text.append(static_cast<std::size_t>(width - count), '0');
  text.append(first, end);
}

void AppendStamp(std::string& text, std::initializer_list<StampField> fields) {
  for (const StampField& field : fields) {
    AppendZeroPadded(text, field.value, field.width);
    if (field.after != '\0') text += field.after;
  }
}

std::string DecimalText(double value) {
  if (!std::isfinite(value)) {
    value = std::isnan(value) ? 0.0 : std::copysign(std::numeric_limits<double>::max(), value);
  }
  // Fifteen significant digits, the precision a double holds for sure, so
  // that 2.1 - 1 shows as 1.1 and not as 1.1000000000000001.
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::scientific, 14);
  const std::string_view scientific(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
  const std::size_t exponentAt = scientific.find('e');
  std::string digits;  // the significant digits, without the point
  for (const char c : scientific.substr(0, exponentAt)) {
    if (IsDigit(c)) digits.push_back(c);
  }
  const int exponent = std::stoi(std::string(scientific.substr(exponentAt + 1)));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  if (digits == "0") return "0";

  std::string text = scientific.front() == '-' ? "-" : "";
  const int pointAfter = exponent + 1;  // digits before the decimal point
  if (pointAfter <= 0) {
    text += "0." + std::string(static_cast<std::size_t>(-pointAfter), '0') + digits;
  } else if (static_cast<std::size_t>(pointAfter) >= digits.size()) {
    text += digits + std::string(static_cast<std::size_t>(pointAfter) - digits.size(), '0');
  } else {
    text += digits.substr(0, static_cast<std::size_t>(pointAfter)) + "." +
            digits.substr(static_cast<std::size_t>(pointAfter));
  }
  return text;
}

}  // namespace tally
