// tally77-history: the captured sets of a data directory in a window, or
// exported to standard output without a display.

#include <QApplication>
#include <QTimer>
#include <iostream>
#include <string>
#include <vector>

#include "history/export_run.h"
#include "history/history_options.h"
#include "history/qt/history_window.h"
#include "history/qt/zone_of_qt.h"

namespace {

int RunWindow(int argc, char* argv[], const tally::history::HistoryOptions& options, const QTimeZone& zone);

}  // namespace

int main(int argc, char* argv[]) {
  using tally::history::HistoryOptions;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const tally::history::ParsedHistoryOptions parsed = tally::history::ParseHistoryOptions(arguments);
  if (!parsed.options) {
    std::cerr << "tally77-history: " << parsed.message << "\n" << tally::history::HistoryUsage();
    return 2;
  }
  const HistoryOptions& options = *parsed.options;
  switch (options.action) {
    case HistoryOptions::Action::Help:
      std::cout << tally::history::HistoryUsage();
      return 0;
    case HistoryOptions::Action::Version:
      std::cout << "tally77-history " << TALLY77_VERSION << "\n";
      return 0;
    default:
      break;
  }
  const std::optional<QTimeZone> zone = tally::history::ZoneNamed(options.zone);
  if (!zone) {
    std::cerr << "tally77-history: unknown time zone " << options.zone << "\n";
    return 2;
  }
  if (options.action == HistoryOptions::Action::Export) {
    std::ios::sync_with_stdio(false);
    return tally::history::RunExport(options, tally::history::RulesOf(*zone), std::cout, std::cerr);
  }
  return RunWindow(argc, argv, options, *zone);
}

namespace {

int RunWindow(int argc, char* argv[], const tally::history::HistoryOptions& options, const QTimeZone& zone) {
  QApplication application(argc, argv);
  tally::history::HistoryWindow window(tally::history::RulesOf(zone));
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
