#pragma once
// Characters received from the serial line and not read yet, each piece
// with the moment it arrived, so that a read can stop at a moment.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/moment.h"

namespace tally {

class ReceivedText {
 public:
  void Add(std::string_view bytes, Moment arrived);
  // Everything received; nothing waits afterwards.
  std::string TakeAll();
  // What arrived before the moment; what arrived later goes on waiting.
  std::string TakeArrivedBefore(Moment moment);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  std::vector<std::pair<Moment, std::size_t>> pieceEnds_;  // arrival, end in text_
};

}  // namespace tally
