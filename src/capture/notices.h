#pragma once
// What the operator is told once while it lasts: a notice is said the first
// time it comes up and again only after it has gone away in between, or,
// for a notice about a text, when the text is another.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace tally {

enum class Notice : std::size_t {
  UnusableInterval,  // an interval text that cannot be used (the detail: that text)
  ScratchFileFailing,  // the scratch file cannot be written or read
  AlarmLogFailing,     // the alarm log cannot be written
  SetKeptShown,        // the last word on the sets: a completed set is kept
};

class Notices {
 public:
  // Whether to say the notice now: true when it does not stand, or stands
  // for another detail. It stands from then on.
  [[nodiscard]] bool SayOnce(Notice notice, const std::string& detail = {});
  // It stands without being said (another event told it).
  void Stand(Notice notice);
  // It has gone away: the next SayOnce says it again.
  void Clear(Notice notice);
  [[nodiscard]] bool Stands(Notice notice) const;

 private:
  static constexpr std::size_t kNotices = 4;
  std::array<std::optional<std::string>, kNotices> standing_;  // the detail of each one that stands
};

}  // namespace tally
