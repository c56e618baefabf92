#include "history/export_run.h"

#include <cerrno>
#include <cstring>

#include "history/set_export.h"
#include "history/set_index.h"
#include "records/data_files.h"

namespace tally::history {

std::string SetFilePath(const std::string& dataDirectory) { return InFolder(dataDirectory, kSetFileName); }

int RunExport(const HistoryOptions& options, const ZoneRules& zone, std::ostream& out, std::ostream& errors) {
  SetIndex index(SetFilePath(options.dataDirectory));
  if (index.IndexAll() == FileChange::Missing) {
    errors << "tally77-history: " << index.error() << "\n";
    return kExitNoInput;
  }
  // No export of the sets before a read error that looks like all of them.
  if (!index.readError().empty()) {
    errors << "tally77-history: " << index.readError() << "\n";
    return kExitIoError;
  }
  const ExportCounts counts = WriteExport(index, zone, options.choice, options.format, out, errors);
  const std::string summary = DamagedSummary(counts);
  if (!summary.empty() && options.format == ExportFormat::Csv) errors << summary << "\n";
  out.flush();
  if (!out) {
    errors << "tally77-history: cannot write the export: " << std::strerror(errno) << "\n";
    return kExportNotWritten;
  }
  return 0;
}

}  // namespace tally::history
