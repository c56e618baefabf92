#pragma once
// What the list benchmarks share: the number of entries, List1 entries as a
// run lists them, and a count of the paints a list's viewport gets.

#include <QEvent>
#include <QObject>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tally::bench {

// $TALLY77_BENCH_LIST_ENTRIES, 1,000,000 unless set.
inline std::size_t ListEntries() {
  const char* chosen = std::getenv("TALLY77_BENCH_LIST_ENTRIES");
  if (chosen == nullptr || *chosen == '\0') return 1000000;
  return std::strtoull(chosen, nullptr, 10);
}

// A List1 entry as ProcessReading lists it: an fLI line (18 characters) or
// an fLII line (40 characters).
inline std::string ListEntry(std::size_t number, bool fLII) {
  char line[64];
  std::snprintf(line, sizeof line, "%02zu,%03zu,%05zu,00300", number % 16 + 1, 100 + number % 16,
                number % 100000);
  std::string entry = line;
  if (fLII) entry += ",007,99999,00000,12000";
  return entry;
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
 public:
  std::size_t paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace tally::bench
