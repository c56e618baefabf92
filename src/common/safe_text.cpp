#include "common/safe_text.h"

namespace tally {

namespace {

std::string Escaped(unsigned char c) {
  switch (c) {
    case '\r': return "\\r";
    case '\n': return "\\n";
    case '\t': return "\\t";
    case '\\': return "\\\\";
    default: break;
  }
  if (c >= 32 && c < 127) return std::string(1, static_cast<char>(c));
  static const char kHex[] = "0123456789ABCDEF";
  return std::string{'\\', 'x', kHex[c >> 4], kHex[c & 15]};
}

}  // namespace

std::string SafeText(std::string_view raw, std::size_t maxLength) {
  std::string shown;
  for (const char c : raw) {
    const std::string piece = Escaped(static_cast<unsigned char>(c));
    if (shown.size() + piece.size() > maxLength) return shown + "...";
    shown += piece;
  }
  return shown;
}

}  // namespace tally
