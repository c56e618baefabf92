#pragma once
// The zone's offsets and changes from the system's zone database.

#include <QTimeZone>
#include <optional>
#include <string>

#include "records/zone_rules.h"

namespace tally::history {

// The rules of a zone over the years a capture can have written.
ZoneRules RulesOf(const QTimeZone& zone);

// The system's zone for "", else the named IANA zone; none for an unknown name.
std::optional<QTimeZone> ZoneNamed(const std::string& name);

}  // namespace tally::history
