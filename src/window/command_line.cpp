#include "window/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include "link/qt/port_scan.h"

namespace tally {

namespace {

QString PortOption(int number) { return QStringLiteral("com%1").arg(number); }

}  // namespace

void NameProgram() {
  QCoreApplication::setOrganizationName(QStringLiteral("tally77"));
  QCoreApplication::setApplicationName(QStringLiteral("tally77"));
  QCoreApplication::setApplicationVersion(QStringLiteral(TALLY77_VERSION));
}

void DescribeOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      QStringLiteral("Captures the readings of an energy-metering processor from a serial port."));
  parser.addHelpOption();
  parser.addVersionOption();
  for (int number = 1; number <= 4; ++number) {
    parser.addOption(QCommandLineOption(
        PortOption(number),
        QStringLiteral("The device Com%1 opens (over TALLY77_COM%1).").arg(number),
        QStringLiteral("DEVICE")));
  }
  parser.addOption(QCommandLineOption(
      QStringLiteral("data-dir"),
      QStringLiteral("Opens the directory list at DIR and chooses it as the data directory."),
      QStringLiteral("DIR")));
  parser.addOption(QCommandLineOption(
      QStringLiteral("list-ports"),
      QStringLiteral("Lists the serial ports found, with their stable names, and exits.")));
}

StartOptions OptionsOf(const QCommandLineParser& parser) {
  StartOptions options;
  for (int number = 1; number <= 4; ++number) {
    options.devices[number - 1] = parser.value(PortOption(number));
  }
  options.dataDirectory = parser.value(QStringLiteral("data-dir"));
  options.listPorts = parser.isSet(QStringLiteral("list-ports"));
  return options;
}

std::optional<CommandLineEnd> ReadCommandLine(int& argc, char* argv[], StartOptions& options) {
  constexpr const char* kProgram = "tally77";
  // A core application is enough to read the command line: --help,
  // --version and --list-ports work without a display.
  const QCoreApplication reader(argc, argv);
  QCommandLineParser parser;
  DescribeOptions(parser);
  if (!parser.parse(QCoreApplication::arguments())) return UsageFault(kProgram, parser.errorText().toStdString());
  if (parser.isSet(QStringLiteral("help"))) return HelpAnswer(parser.helpText().toStdString());
  if (parser.isSet(QStringLiteral("version"))) return VersionAnswer(kProgram);
  if (!parser.positionalArguments().isEmpty()) {
    return UsageFault(kProgram, "unexpected argument " + parser.positionalArguments().first().toStdString());
  }
  options = OptionsOf(parser);
  if (IsOptionWord(options.dataDirectory.toStdString())) {
    return UsageFault(kProgram, "\"" + options.dataDirectory.toStdString() + "\" is an option, not a path");
  }
  return std::nullopt;
}

void ListPorts(std::ostream& out) {
  const std::vector<FoundPort> ports = FindPorts();
  if (ports.empty()) out << "No serial ports found\n";
  for (const FoundPort& port : ports) out << PortListLine(port) << '\n';
}

}  // namespace tally
