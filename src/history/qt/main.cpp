// tally77-history: the captured sets of a data directory in a window, or
// exported to standard output without a display.

#include <QApplication>
#include <QTimer>
#include <iostream>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/exit_status.h"

#include "history/export_run.h"
#include "history/history_options.h"
#include "history/qt/history_window.h"
#include "records/data_directory_check.h"
#include "records/system_zone.h"

namespace {

constexpr const char* kProgram = "tally77-history";

int RunWindow(int argc, char* argv[], const tally::history::HistoryOptions& options, const tally::ZoneRules& zone);

}  // namespace

int main(int argc, char* argv[]) {
  using tally::history::HistoryOptions;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const tally::history::ParsedHistoryOptions parsed = tally::history::ParseHistoryOptions(arguments);
  if (!parsed.options) return tally::Finish(tally::UsageFault(kProgram, parsed.message));
  const HistoryOptions& options = *parsed.options;
  switch (options.action) {
    case HistoryOptions::Action::Help:
      return tally::Finish(tally::HelpAnswer(tally::history::HistoryUsage()));
    case HistoryOptions::Action::Version:
      return tally::Finish(tally::VersionAnswer(kProgram));
    default:
      break;
  }
  const std::optional<tally::ZoneRules> zone = tally::ZoneRulesNamed(options.zone);
  if (!zone) return tally::Finish(tally::UsageFault(kProgram, "unknown time zone " + options.zone));
  if (!options.dataDirectory.empty()) {
    if (const auto fault = tally::CheckDataDirectory(options.dataDirectory)) {
      return tally::Finish(tally::Fault(kProgram, fault->exitCode, fault->message));
    }
  }
  if (options.action == HistoryOptions::Action::Export) {
    std::ios::sync_with_stdio(false);
    return tally::history::RunExport(options, *zone, std::cout, std::cerr);
  }
  if (const auto end = tally::NoDisplayEnd(kProgram)) return tally::Finish(*end);
  return RunWindow(argc, argv, options, *zone);
}

namespace {

int RunWindow(int argc, char* argv[], const tally::history::HistoryOptions& options, const tally::ZoneRules& zone) {
  QApplication application(argc, argv);
  tally::history::HistoryWindow window(zone);
  window.show();
  // Started without a data directory (as from the desktop's menu), it asks for one.
  if (options.dataDirectory.empty()) {
    QTimer::singleShot(0, &window, &tally::history::HistoryWindow::AskForDirectory);
  } else {
    window.OpenDirectory(QString::fromStdString(options.dataDirectory));
  }
  return application.exec();
}

}  // namespace
