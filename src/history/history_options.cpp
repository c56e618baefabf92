#include "history/history_options.h"

#include "common/command_line.h"

namespace tally::history {

namespace {

ParsedHistoryOptions Fault(const std::string& message) { return {std::nullopt, message}; }

}  // namespace

std::string HistoryUsage() {
  return "Usage: tally77-history [DATA_DIR]\n"
         "       tally77-history --export csv|json [--from WHEN] [--to WHEN] [--channels LIST]\n"
         "                       [--tz ZONE] DATA_DIR\n"
         "Shows the sets captured in DATA_DIR/fl.db1 in a window, or writes them to\n"
         "standard output.\n"
         "  --export csv|json  CSV (one row per set and channel) or JSON Lines (one set a line)\n"
         "  --from WHEN        first local date (yyyy-mm-dd) or date and time (yyyy-mm-ddThh:mm[:ss])\n"
         "  --to WHEN          last local date or date and time, included (a date or a\n"
         "                     minute whole)\n"
         "  --channels LIST    channels and ranges, such as 1-4,7,9-16\n"
         "  --tz ZONE          the time zone the stamps were written in (default: the system's)\n"
         "  --help             this text\n"
         "  --version          the program's version\n";
}

ParsedHistoryOptions ParseHistoryOptions(const std::vector<std::string>& arguments) {
  HistoryOptions options;
  bool exporting = false;
  bool exportOnly = false;
  std::string fromText;  // the bounds as given
  std::string toText;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (IsHelpWord(argument)) {
      options.action = HistoryOptions::Action::Help;
      return {options, ""};
    }
    if (IsVersionWord(argument)) {
      options.action = HistoryOptions::Action::Version;
      return {options, ""};
    }
    if (!IsOptionWord(argument)) {
      if (!options.dataDirectory.empty()) return Fault("more than one data directory: " + argument);
      options.dataDirectory = argument;
      continue;
    }
    const bool known = argument == "--export" || argument == "--from" || argument == "--to" ||
                       argument == "--channels" || argument == "--tz";
    if (!known) return Fault("unknown option " + argument);
    if (i + 1 >= arguments.size()) return Fault(argument + " needs a value");
    const std::string& value = arguments[++i];
    std::string error;
    if (argument == "--export") {
      if (value != "csv" && value != "json") return Fault("--export takes csv or json, not " + value);
      exporting = true;
      options.format = value == "csv" ? ExportFormat::Csv : ExportFormat::JsonLines;
    } else if (argument == "--from" || argument == "--to") {
      const auto bound = ReadLocalBound(value, argument == "--to", error);
      if (!bound) return Fault(argument + ": " + error);
      (argument == "--from" ? options.choice.from : options.choice.to) = bound;
      (argument == "--from" ? fromText : toText) = value;
      exportOnly = true;
    } else if (argument == "--channels") {
      const auto channels = ReadChannels(value, error);
      if (!channels) return Fault("--channels: " + error);
      options.choice.channels = *channels;
      options.choice.allChannels = false;
      exportOnly = true;
    } else {  // --tz
      options.zone = value;
    }
  }
  if (exportOnly && !exporting) return Fault("--from, --to and --channels go with --export");
  if (options.choice.from && options.choice.to && *options.choice.to < *options.choice.from) {
    return Fault("--from " + fromText + " is later than --to " + toText);
  }
  if (exporting) {
    if (options.dataDirectory.empty()) return Fault("--export needs a data directory");
    options.action = HistoryOptions::Action::Export;
  }
  return {options, ""};
}

}  // namespace tally::history
