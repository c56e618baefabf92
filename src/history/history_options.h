#pragma once
// Command line of tally77-history: the window on a data directory, or an
// export without a display.

#include <optional>
#include <string>
#include <vector>

#include "history/export_choice.h"
#include "history/set_export.h"

namespace tally::history {

struct HistoryOptions {
  enum class Action { Window, Export, Help, Version };
  Action action = Action::Window;
  std::string dataDirectory;  // "" when not given
  ExportFormat format = ExportFormat::Csv;
  ExportChoice choice;
  std::string zone;  // --tz: an IANA zone name; "" for the system's zone
};

struct ParsedHistoryOptions {
  std::optional<HistoryOptions> options;  // none when the command line is wrong
  std::string message;                    // the fault
};

ParsedHistoryOptions ParseHistoryOptions(const std::vector<std::string>& arguments);

std::string HistoryUsage();

}  // namespace tally::history
