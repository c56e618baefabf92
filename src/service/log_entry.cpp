#include "service/log_entry.h"

#include <regex>
#include <vector>

namespace tally {

namespace {

struct Pattern {
  std::regex entry;
  EntryMeaning meaning;
};

const std::vector<Pattern>& Patterns() {
  using enum LogPriority;
  static const std::vector<Pattern> patterns = {
      {std::regex(R"(^\d\d:\d\d:\d\d Com\d+ \(.*\) lost: )"), {Warning, EntryEvent::PortLost}},
      {std::regex(R"(^\d\d:\d\d:\d\d Com\d+ \(.*\) open again$)"), {Info, EntryEvent::PortBack}},
      {std::regex(R"(^Com\d+ \(.*\): )"), {Warning, EntryEvent::PortNotOpen}},
      {std::regex(R"(^\d\d (high|low ) )"), {Warning, EntryEvent::Other}},
      {std::regex(R"(^Reading rejected: )"), {Warning, EntryEvent::Other}},
      {std::regex(R"(^\d\d:\d\d:\d\d Set \d+ not written: )"), {Warning, EntryEvent::Other}},
      {std::regex(R"(^Interval ".*" cannot be used; )"), {Warning, EntryEvent::Other}},
      {std::regex(R"(^Channel -?\d+ has no limits: )"), {Warning, EntryEvent::Other}},
      {std::regex(R"(^cannot use )"), {Warning, EntryEvent::Other}},
      {std::regex(R"(^(Alarm log not written|End command not sent): )"), {Error, EntryEvent::Other}},
  };
  return patterns;
}

}  // namespace

EntryMeaning MeaningOfStatusEntry(const std::string& entry) {
  for (const Pattern& pattern : Patterns()) {
    if (std::regex_search(entry, pattern.entry)) return pattern.meaning;
  }
  return {};
}

bool IsSupportFileProblem(const std::string& text2) { return text2.rfind("Problem ", 0) == 0; }

}  // namespace tally
