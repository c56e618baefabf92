#pragma once
// The rules of a zone from the system's zone database, read through the C
// library, for programs without Qt.

#include <optional>
#include <string>

#include "records/zone_rules.h"

namespace tally {

// "" gives the program's own zone (TZ, else the system's); a name gives
// that IANA zone ("Europe/Berlin"); none for a name the database does not
// hold.
std::optional<ZoneRules> ZoneRulesNamed(const std::string& name);

}  // namespace tally
