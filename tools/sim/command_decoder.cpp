#include "command_decoder.h"

#include <cstdio>

namespace tally::sim {

namespace {

constexpr std::string_view kCommandStart = "AT TALLY77";
constexpr std::string_view kEnd = "AT TALLY77:";
constexpr std::string_view kHigh = "AT TALLY77 Channel High:";
constexpr std::string_view kLow = "AT TALLY77 Channel Low :";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kLongestChannel = 8;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// True while the text could still grow into this command's fixed part.
bool CouldBecome(std::string_view text, std::string_view prefix) {
  return text.size() < prefix.size() && StartsWith(prefix, text);
}

}  // namespace

std::string Escaped(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\t') {
      text += "\\t";
    } else if (c == '\\' || c == '"') {
      text += '\\';
      text += c;
    } else if (code >= 0x20 && code < 0x7f) {
      text += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", code);
      text += hex;
    }
  }
  return text;
}

std::vector<std::string> CommandDecoder::Feed(std::string_view bytes) {
  pending_.append(bytes);
  std::vector<std::string> decoded;
  for (std::string one = TakeOne(); !one.empty(); one = TakeOne()) decoded.push_back(one);
  return decoded;
}

std::vector<std::string> CommandDecoder::Flush() {
  std::vector<std::string> decoded;
  if (!pending_.empty()) decoded.push_back(TakeUnknown(pending_.size()));
  return decoded;
}

std::string CommandDecoder::TakeUnknown(std::size_t length) {
  const std::string text = "unknown \"" + Escaped(std::string_view(pending_).substr(0, length)) + "\"";
  pending_.erase(0, length);
  return text;
}

std::string CommandDecoder::TakeOne() {
  const std::string_view text = pending_;
  if (text.empty()) return "";
  if (CouldBecome(text, kEnd) || CouldBecome(text, kHigh) || CouldBecome(text, kLow)) return "";

  if (StartsWith(text, kEnd)) {
    if (text.size() < kEnd.size() + 3) return "";
    if (text.substr(kEnd.size() + 1, 2) == kLineEnd) {
      const auto count = static_cast<unsigned char>(text[kEnd.size()]);
      pending_.erase(0, kEnd.size() + 3);
      endSeen_ = true;
      return "end, count " + std::to_string(count);
    }
  }
  for (const auto& [prefix, word] : {std::pair{kHigh, "high"}, std::pair{kLow, "low"}}) {
    if (!StartsWith(text, prefix)) continue;
    const std::size_t lineEnd = text.find(kLineEnd, prefix.size());
    if (lineEnd == std::string_view::npos) {
      if (text.size() <= prefix.size() + kLongestChannel) return "";
      break;  // no line end where one belongs: not an alarm message
    }
    const std::string channel = Escaped(text.substr(prefix.size(), lineEnd - prefix.size()));
    pending_.erase(0, lineEnd + kLineEnd.size());
    return std::string("alarm ") + word + " channel " + channel;
  }

  // Not a command: everything up to the next line end or the next command.
  const std::size_t nextCommand = text.find(kCommandStart, 1);
  const std::size_t lineEnd = text.find('\n');
  std::size_t cut = std::min(nextCommand, lineEnd == std::string_view::npos ? lineEnd : lineEnd + 1);
  if (cut == std::string_view::npos) return "";  // wait for the rest of the line
  return TakeUnknown(cut);
}

}  // namespace tally::sim
