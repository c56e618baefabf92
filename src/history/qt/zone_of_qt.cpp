#include "history/qt/zone_of_qt.h"

#include <QDateTime>
#include <algorithm>

namespace tally::history {

namespace {

// Captures write four-digit years; the zone database covers these well.
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2200;
constexpr int kYearsAsked = 10;

}  // namespace

ZoneRules RulesOf(const QTimeZone& zone) {
  const QDateTime from(QDate(kFirstYear, 1, 1), QTime(0, 0), Qt::UTC);
  const QDateTime to(QDate(kLastYear, 1, 1), QTime(0, 0), Qt::UTC);
  const int earliest = zone.offsetFromUtc(from);
  std::vector<ZoneChange> changes;
  int before = earliest;
  // Asked a decade at a time: over long spans the database gives only the
  // changes it lists, not those its rule for later years makes.
  for (QDateTime start = from; start < to; start = start.addYears(kYearsAsked)) {
    const QDateTime end = std::min(start.addYears(kYearsAsked), to).addSecs(-1);
    for (const QTimeZone::OffsetData& data : zone.transitions(start, end)) {
      const int after = data.offsetFromUtc;
      if (after != before) changes.push_back({data.atUtc.toSecsSinceEpoch(), before, after});
      before = after;
    }
  }
  if (changes.empty()) return ZoneRules(zone.offsetFromUtc(QDateTime::currentDateTimeUtc()));
  return ZoneRules(earliest, std::move(changes));
}

std::optional<QTimeZone> ZoneNamed(const std::string& name) {
  if (name.empty()) return QTimeZone::systemTimeZone();
  const QTimeZone zone(QByteArray::fromStdString(name));
  if (!zone.isValid()) return std::nullopt;
  return zone;
}

}  // namespace tally::history
