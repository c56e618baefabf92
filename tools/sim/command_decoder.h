#pragma once
// Decodes what the capture program sends to the processor: the end command
// "AT TALLY77:" + count character + CR LF and the alarm messages
// "AT TALLY77 Channel High:" / "AT TALLY77 Channel Low :" + channel + CR LF.

#include <string>
#include <string_view>
#include <vector>

namespace tally::sim {

class CommandDecoder {
 public:
  // Takes received bytes; gives the commands they complete, decoded as
  // "end, count 0", "alarm high channel 03", "alarm low channel 05" or
  // unknown "..." with the bytes escaped.
  std::vector<std::string> Feed(std::string_view bytes);
  // Bytes still waiting for the rest of a command, given up on as unknown.
  std::vector<std::string> Flush();

  bool EndSeen() const { return endSeen_; }
  bool HasPending() const { return !pending_.empty(); }

 private:
  // One command from the front of pending_, or "" when more bytes are needed.
  std::string TakeOne();
  std::string TakeUnknown(std::size_t length);

  std::string pending_;
  bool endSeen_ = false;
};

// Bytes as readable text: printable characters as they are, CR LF and tab
// as \r \n \t, a backslash or quote escaped, anything else as \xHH.
std::string Escaped(std::string_view bytes);

}  // namespace tally::sim
