#include "common/received_text.h"

namespace tally {

void ReceivedText::Add(std::string_view bytes, Moment arrived) {
  if (bytes.empty()) return;
  text_ += bytes;
  pieceEnds_.emplace_back(arrived, text_.size());
}

std::string ReceivedText::TakeAll() {
  pieceEnds_.clear();
  std::string taken;
  taken.swap(text_);
  return taken;
}

std::string ReceivedText::TakeArrivedBefore(Moment moment) {
  std::size_t end = 0;
  auto later = pieceEnds_.begin();
  for (; later != pieceEnds_.end() && later->first < moment; ++later) end = later->second;
  pieceEnds_.erase(pieceEnds_.begin(), later);
  for (auto& piece : pieceEnds_) piece.second -= end;
  std::string taken = text_.substr(0, end);
  text_.erase(0, end);
  return taken;
}

}  // namespace tally
