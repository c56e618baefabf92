#pragma once
// tally77-history --export: the sets of DATA_DIR's set database to standard
// output.

#include <ostream>

#include "common/exit_status.h"
#include "history/history_options.h"
#include "records/zone_rules.h"

namespace tally::history {

// The path of the set database in a data directory.
std::string SetFilePath(const std::string& dataDirectory);

// The exit status of an export its output could not take (a full disk).
inline constexpr int kExportNotWritten = kExitIoError;

// Writes the export; damaged lines and the file's faults go to errors.
// Returns 0 when the file was read and the export written whole,
// kExitNoInput when it is missing, kExitIoError when it could not be read
// or out failed.
int RunExport(const HistoryOptions& options, const ZoneRules& zone, std::ostream& out, std::ostream& errors);

}  // namespace tally::history
