#pragma once
// The export of sets: CSV (RFC 4180, UTF-8, CR LF, one row per set and
// channel) or JSON Lines (one object per set), in file order, for the
// chosen time range and channels. Damaged lines are not exported as sets:
// CSV leaves them out and names them in the notes, JSON gives each as
// {"line": N, "damaged": "reason"}.

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "history/export_choice.h"
#include "history/set_index.h"
#include "records/zone_rules.h"

namespace tally::history {

enum class ExportFormat { Csv, JsonLines };

struct ExportCounts {
  std::size_t sets = 0;
  std::size_t damaged = 0;
};

ExportCounts WriteExport(const SetIndex& index, const ZoneRules& zone, const ExportChoice& choice,
                         ExportFormat format, std::ostream& out, std::ostream& notes);

// The closing note of a CSV export that left damaged lines out, "" for none.
std::string DamagedSummary(const ExportCounts& counts);

// 8-bit text read as Latin-1, written as UTF-8.
std::string Utf8FromLatin1(std::string_view text);

// A field as a plain number: no padding zeros, and a JSON number even where
// the record holds ".5" or "5.".
std::string NumberText(std::string_view field);

}  // namespace tally::history
