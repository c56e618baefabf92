#pragma once
// tally77-history --export: the sets of DATA_DIR/fl.db1 to standard output.

#include <ostream>

#include "history/history_options.h"
#include "history/zone_rules.h"

namespace tally::history {

// The path of "fl.db1" in a data directory.
std::string SetFilePath(const std::string& dataDirectory);

// Writes the export; damaged lines and the file's faults go to errors.
// Returns 0 whenever the file could be read, 1 otherwise.
int RunExport(const HistoryOptions& options, const ZoneRules& zone, std::ostream& out, std::ostream& errors);

}  // namespace tally::history
