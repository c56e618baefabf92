#include "common/positional_text.h"

#include <algorithm>

namespace tally {

std::string Mid(std::string_view text, std::size_t position, std::size_t count) {
  if (position == 0) position = 1;
  if (position > text.size()) return {};
  return std::string(text.substr(position - 1, count));
}

std::string Left(std::string_view text, std::size_t count) {
  return std::string(text.substr(0, std::min(count, text.size())));
}

std::string Right(std::string_view text, std::size_t count) {
  const std::size_t taken = std::min(count, text.size());
  return std::string(text.substr(text.size() - taken));
}

void Overwrite(std::string& text, std::size_t position, std::string_view replacement) {
  if (position == 0 || position > text.size()) return;
  const std::size_t room = text.size() - (position - 1);
  const std::size_t count = std::min(room, replacement.size());
  text.replace(position - 1, count, replacement.substr(0, count));
}

}  // namespace tally
